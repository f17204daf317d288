# SPDX-License-Identifier: GPL-3.0-or-later

# corvessa_add_test(<name> SOURCES <files...> LIBS <targets...>)
# Builds one Qt Test executable and registers it with CTest. Every test runs on the offscreen platform so that
# the suite needs no display, and with a private HOME so that nothing a test writes reaches the user's folders.
function(corvessa_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${CMAKE_BINARY_DIR}/test-home;ASAN_OPTIONS=detect_leaks=0"
        TIMEOUT 900)
endfunction()
