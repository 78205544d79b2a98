#!/usr/bin/env bash
# The Windows build's tests: installs mingw-w64 and Wine where they are missing (apt-get, as
# root), cross-builds (scripts/build-windows.sh), runs the engine's tests as .exe under Wine,
# then nexalo-cli.exe end to end through Wine's COM1 against the simulator, beside the Linux
# nexalo-cli. Wine gets a fresh prefix in a temporary folder, removed at the end.
#   scripts/test-windows.sh [--build-only] [FOLDER]   (default build/windows; NEXALO_HOST_BUILD
#   as for scripts/build-windows.sh). --build-only installs and cross-builds, and runs nothing.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_only=false
if [ "${1:-}" = --build-only ]; then
    build_only=true
    shift
fi
dir=$(realpath -m "${1:-$top/build/windows}")
started=$SECONDS

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
missing=()
[ -x "$wine" ] || missing+=(wine64)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
command -v zip >/dev/null || missing+=(zip)
# Firmware trust's cryptography, as static archives for the cross-build.
[ -f /usr/x86_64-w64-mingw32/lib/libgcrypt.a ] || missing+=(libgcrypt-mingw-w64-dev)
if [ ${#missing[@]} -gt 0 ]; then
    [ "$(id -u)" = 0 ] || { echo "test-windows.sh: needs ${missing[*]} (apt-get, as root)" >&2; exit 1; }
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

"$top/scripts/build-windows.sh" "$dir"
if $build_only; then
    echo "Windows cross-build: $((SECONDS - started)) s"
    exit 0
fi

# No display and no prompts: Wine's .NET and HTML engines are not wanted.
WINEPREFIX=$(mktemp -d /tmp/nexalo-wine-XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$wineserver" -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
"$wine" wineboot -i >/dev/null 2>&1
# Wine remakes dosdevices/com1 at every start from this key: COM1 leads to a link that the
# end-to-end run points at the simulator's pseudo-terminal.
export NEXALO_WINE_COM1_LINK=$WINEPREFIX/nexalo-com1
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$NEXALO_WINE_COM1_LINK" /f >/dev/null
"$wineserver" -k >/dev/null 2>&1
"$wineserver" -w
# One server for every run below, and its system services started here with no output of
# theirs: started by the first test program, they would hold its output open and ctest would
# wait for them.
"$wineserver" -p >/dev/null 2>&1
"$wine" wineboot >/dev/null 2>&1

# Each program runs in virtual time on one core: as many at once as there are cores.
(cd "$dir/cross" && ctest -j"$(nproc)" --output-on-failure --timeout 600)

NEXALO_WINE=$wine NEXALO_WINE_CLI=$dir/cross/cli/nexalo-cli.exe \
NEXALO_WINE_BACKEND_TESTS=$dir/cross/tests/windows/win_backend_tests.exe \
    "${NEXALO_HOST_BUILD:-$dir/host}/tests/wine/wine_e2e_tests"

echo "Windows build and tests under Wine: $((SECONDS - started)) s"
