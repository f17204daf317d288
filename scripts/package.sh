#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package in build-package/ (Release, with Debian's hardening flags, without -Werror) and checks
# it: the files it lays out, the menu entry, the AppStream metainfo and lintian. Prints where the .deb is.
#   scripts/package.sh            build and check
#   scripts/package.sh --install  also install it with apt and start the installed program with --version
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

build=build-package
started=$(date +%s)
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DCORVESSA_WERROR=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build "$build" -j"$(nproc)" --target corvessa corvessa_icons corvessa_package_docs
rm -f "$build"/corvessa_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/corvessa_*.deb)
echo "Built $deb in $(($(date +%s) - started)) s"

fail() {
    echo "package check failed: $*" >&2
    exit 1
}

# Name and version.
[ "$(dpkg-deb -f "$deb" Package)" = corvessa ] || fail "package name"
version=$(sed -n 's/^project(Corvessa VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$(dpkg-deb -f "$deb" Version)" = "$version-1" ] || fail "version is not $version-1"
depends=$(dpkg-deb -f "$deb" Depends)
# The libraries come from dpkg-shlibdeps; the font and OpenCC's conversion tables are named by hand.
for needed in libqt6widgets6 libsqlcipher0 'libicu[0-9]+' fonts-wqy-microhei libopencc-data; do
    grep -Eqw "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

# Contents.
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
id=org.corvessa.Corvessa
for path in ./usr/bin/corvessa \
    ./usr/share/applications/$id.desktop \
    ./usr/share/metainfo/$id.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/$id.svg \
    ./usr/share/man/man1/corvessa.1.gz \
    ./usr/share/doc/corvessa/copyright \
    ./usr/share/doc/corvessa/changelog.gz \
    ./usr/share/doc/corvessa/changelog.Debian.gz; do
    grep -qx "$path" <<<"$contents" || fail "missing $path"
done
for size in 16 22 24 32 48 64 128 256; do
    grep -qx "./usr/share/icons/hicolor/${size}x${size}/apps/$id.png" <<<"$contents" || fail "missing ${size}px icon"
done
if grep -v '^\./usr/' <<<"$contents" | grep -qv '^\./$'; then
    fail "files outside /usr"
fi

# The descriptions as installed.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$id.metainfo.xml"
for size in 16 256; do
    file "$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "$size x $size" ||
        fail "the ${size}px icon is not $size by $size"
done

# lintian: errors fail the build; warnings are printed for the record.
lintian --fail-on error "$deb" ||
    fail "lintian reports errors"

if [ "${1:-}" = "--install" ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./$deb"
    QT_QPA_PLATFORM=offscreen corvessa --version
    env -u DISPLAY -u WAYLAND_DISPLAY corvessa --version | grep -qx "Corvessa $version" || fail "--version"
fi
echo "Package checks passed: $deb"
