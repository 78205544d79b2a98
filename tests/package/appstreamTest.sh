#!/bin/sh
# The AppStream file as the build configures it: appstreamcli accepts it (no warning, without
# reaching the network: its addresses are the project's own), it names the desktop entry that
# the package installs, carries the project's version, and every screenshot it names is one of
# the README's pictures.
#
#   appstreamTest.sh METAINFO_FILE PACKAGING_FOLDER SCREENSHOT_FOLDER VERSION
set -eu
metainfo=$1 packaging=$2 screenshots=$3 version=$4
command -v appstreamcli >/dev/null || { echo "skipped: appstreamcli is not installed (scripts/setup.sh)"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli refuses $metainfo"

# One value of an element, the first if there are several.
value() { sed -n "s|.*<$1[^>]*>\([^<]*\)</$1>.*|\1|p" "$metainfo" | head -n 1; }

id=$(value id)
[ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "file $(basename "$metainfo") for id $id"
launchable=$(value launchable)
[ "$launchable" = "$id.desktop" ] || fail "launchable $launchable is not $id.desktop"
[ -f "$packaging/$launchable" ] || fail "no desktop entry $launchable in $packaging"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version"

shots=$(sed -n 's|.*<image[^>]*>[^<]*/\([^/<]*\.png\)</image>.*|\1|p' "$metainfo")
[ -n "$shots" ] || fail "no screenshot named"
for shot in $shots; do
    [ -f "$screenshots/$shot" ] || fail "screenshot $shot is not in $screenshots"
    echo "screenshot $shot"
done
echo "AppStream test passed: $id"
