#!/bin/sh
# The Debian package as a technician gets it: scripts/package.sh packs the programs of this
# build, the package unpacks with dpkg-deb, its programs run from the unpacked tree and work
# together (nexalo-sim serving the packaged demo network, nexalo-cli probing a unit on it),
# lintian finds no error, desktop-file-validate accepts the desktop entry and appstreamcli the
# AppStream file.
#
#   packageTest.sh SOURCE_FOLDER BUILD_FOLDER VERSION
set -eu
top=$1 build=$2 version=$3

for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (scripts/setup.sh)"; exit 77; }
done

work=$(mktemp -d)
sim=
cleanup() {
    [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

NEXALO_PACKAGE_BUILD=$build "$top/scripts/package.sh" "$work/out"
deb=$work/out/nexalo-upgrade_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb; made: $(ls "$work/out")"

echo "== contents"
dpkg-deb -x "$deb" "$work/root"
root=$work/root
for file in usr/bin/nexalo-upgrade usr/bin/nexalo-cli usr/bin/nexalo-sim \
    usr/share/nexalo-upgrade/networks/demo.json usr/share/nexalo-upgrade/networks/large.json \
    usr/share/applications/example.nexalo.FirmwareUpgrade.desktop \
    usr/share/metainfo/example.nexalo.FirmwareUpgrade.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/nexalo-upgrade.svg \
    usr/share/man/man1/nexalo-cli.1.gz usr/share/man/man1/nexalo-sim.1.gz \
    usr/share/man/man1/nexalo-upgrade.1.gz usr/share/doc/nexalo-upgrade/copyright; do
    [ -f "$root/$file" ] || fail "$file is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
echo "$depends" | grep -q 'libqt6widgets6' || fail "no dependency on Qt 6 Widgets"

echo "== the unpacked programs"
"$root/usr/bin/nexalo-cli" --help >"$work/cli-help" || fail "nexalo-cli --help: status $?"
grep -qi 'usage' "$work/cli-help" && grep -q -- '--port' "$work/cli-help" ||
    fail "nexalo-cli --help printed: $(cat "$work/cli-help")"
"$root/usr/bin/nexalo-sim" --help >"$work/sim-help" || fail "nexalo-sim --help: status $?"
grep -qi 'usage' "$work/sim-help" && grep -q -- '--link' "$work/sim-help" ||
    fail "nexalo-sim --help printed: $(cat "$work/sim-help")"

mkdir "$work/run"
cd "$work/run"
"$root/usr/bin/nexalo-sim" --link COM1 "$root/usr/share/nexalo-upgrade/networks/demo.json" \
    >"$work/sim-out" 2>&1 &
sim=$!
for _ in $(seq 100); do [ -L COM1 ] && break; sleep 0.1; done
[ -L COM1 ] || fail "nexalo-sim made no link: $(cat "$work/sim-out")"
"$root/usr/bin/nexalo-cli" --port COM1 probe --address 0100 >"$work/probe" 2>&1 ||
    fail "probe of the packaged demo network: status $?: $(cat "$work/probe")"
cat "$work/probe"
cd "$work"

echo "== desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/example.nexalo.FirmwareUpgrade.desktop" ||
    fail "desktop entry refused"

echo "== appstreamcli"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.nexalo.FirmwareUpgrade.metainfo.xml" ||
    fail "AppStream file refused"

echo "== lintian"
# As root lintian warns that it should not run so; that line is not about the package.
if lintian --fail-on error --display-info "$deb" >"$work/lintian" 2>&1; then status=0; else status=$?; fi
grep -v 'running with root privileges' "$work/lintian" || true
[ "$status" -eq 0 ] || fail "lintian reports an error (status $status)"
echo "package test passed"
