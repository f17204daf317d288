# SPDX-License-Identifier: GPL-3.0-or-later

# corvessa_layer_headers(<target> <layer> [FILES <header>...])
# Makes <target>'s public include path one folder that holds nothing but its own layer's headers, reached as
# "<layer>/<header>": a symbolic link to the layer's source folder, or with FILES, links to just those headers.
# A layer can then include only the layers it links, so a lower layer that reaches for a higher one fails to
# compile instead of quietly growing a dependency.
function(corvessa_layer_headers target layer)
    cmake_parse_arguments(ARG "" "" "FILES" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    if(ARG_FILES)
        file(MAKE_DIRECTORY ${root}/${layer})
        foreach(header ${ARG_FILES})
            file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${layer}/${header} SYMBOLIC)
        endforeach()
    else()
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${layer} SYMBOLIC)
    endif()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
