#!/usr/bin/env bash
# Cross-builds the engine, nexalo-cli.exe and the engine's tests for 64-bit Windows with
# Debian's mingw-w64, statically linked, and packs nexalo-cli.exe, the README and the sample
# firmware into a zip. A host build beside it makes the sample firmware, and the Linux
# programs that the end-to-end runs under Wine set against the Windows ones.
#   scripts/build-windows.sh [FOLDER]   (default build/windows)
# NEXALO_HOST_BUILD names a Linux build folder to use as the host build (scripts/test.sh gives
# its own, which has built all of it already); by default FOLDER/host.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$(realpath -m "${1:-$top/build/windows}")
host=${NEXALO_HOST_BUILD:-$dir/host}
cross=$dir/cross
jobs=$(nproc)

missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
command -v zip >/dev/null || missing+=(zip)
# Firmware trust's cryptography, as static archives for the cross-build.
[ -f /usr/x86_64-w64-mingw32/lib/libgcrypt.a ] || missing+=(libgcrypt-mingw-w64-dev)
if [ ${#missing[@]} -gt 0 ]; then
    [ "$(id -u)" = 0 ] || { echo "build-windows.sh: needs ${missing[*]} (apt-get, as root)" >&2; exit 1; }
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ ! -f "$host/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$host" -j"$jobs" --target nexalo-fw-samples nexalo-cli nexalo-sim wine_e2e_tests

cmake -S "$top" -B "$cross" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DNEXALO_FW_SAMPLES_DIR="$host/sim/firmware" >/dev/null
cmake --build "$cross" -j"$jobs"

# The zip: the program, the README and the sample firmware, in one folder named after the
# version.
version=$(sed -n 's/^project(NexaloFirmwareUpgrade VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
name=nexalo-cli-$version-win64
stage=$dir/$name
rm -rf "$stage" "$dir/$name.zip"
mkdir -p "$stage/firmware"
cp "$cross/cli/nexalo-cli.exe" "$stage/"
x86_64-w64-mingw32-strip "$stage/nexalo-cli.exe"
cp "$top/README.md" "$stage/"
find "$host/sim/firmware" -maxdepth 1 -type f ! -name samples.txt -exec cp {} "$stage/firmware/" \;
(cd "$dir" && zip -q -r -X "$name.zip" "$name")
echo "$dir/$name.zip ($(stat -c %s "$dir/$name.zip") bytes)"
