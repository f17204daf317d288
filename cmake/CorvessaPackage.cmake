# SPDX-License-Identifier: GPL-3.0-or-later

# The Debian package: `cpack -G DEB` in a configured build folder (scripts/package.sh builds and checks it).
# Its library dependencies are computed by dpkg-shlibdeps; the packages the program needs only at run time are
# named here: the CJK font the window's fonts fall back to and the OpenCC data that the text normaliser opens.
set(CPACK_PACKAGE_NAME corvessa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvessa developers")
set(CPACK_PACKAGE_CONTACT ${CORVESSA_MAINTAINER})
set(CPACK_PACKAGE_HOMEPAGE_URL ${CORVESSA_WEBSITE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "offline look-up of Traditional Chinese Medicine prescriptions")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CORVESSA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei | fonts-noto-cjk, libopencc-data")
# Qt's own texts (context menus, the command line's help) in Simplified Chinese; HanaMin draws the characters
# of the rarer CJK extensions that some records hold.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-hanazono")
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Corvessa searches a read-only library of classical prescriptions and herb
entries taken from classical Chinese medical books, by name, source book and
indications; every record names the book, volume and page it comes from. The
user keeps prescriptions of their own, favourites and groups in a personal
database that is backed up on every exit. The window is in Simplified Chinese.
.
The library is built from the texts of the Kanseki Repository and is
distributed under CC BY-SA 4.0.")
include(CPack)
