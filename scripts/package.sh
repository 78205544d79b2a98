#!/usr/bin/env bash
# Builds the Debian package nexalo-upgrade_<version>_amd64.deb: the window, nexalo-cli and
# nexalo-sim with the sample networks, desktop entry, icon, manual pages and copyright file.
#
#   scripts/package.sh [OUTPUT_FOLDER]     the package lands there (default out/)
#
# It installs what is missing and builds in build/package. With NEXALO_PACKAGE_BUILD set to a
# build folder that already holds the programs (the test suite's own), it packs those instead,
# without installing or building anything.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/out}
mkdir -p "$out"
out=$(cd "$out" && pwd)

dir=${NEXALO_PACKAGE_BUILD:-}
if [ -z "$dir" ]; then
    "$top/scripts/setup.sh"
    # Debian's hardening flags, as Debian's own packages are built (a fresh folder takes them).
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    cd "$top"
    CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
    LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
    export CXXFLAGS LDFLAGS
    dir=$top/build/package
    "$top/scripts/build.sh" "$dir" nexalo-upgrade nexalo-cli nexalo-sim nexalo-package-docs
fi

# CPack leaves its staging tree beside the package; keep that out of the output folder.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cpack --config "$dir/CPackConfig.cmake" -B "$stage" >"$stage/cpack.log" 2>&1 ||
    { cat "$stage/cpack.log"; exit 1; }
for deb in "$stage"/*.deb; do
    mv "$deb" "$out/"
    echo "$out/$(basename "$deb")"
done
