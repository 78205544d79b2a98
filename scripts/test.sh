#!/usr/bin/env bash
# The whole test suite from scratch: install what is missing, build in a fresh folder, run
# every test; the Windows build's tests under Wine; then the suite again under AddressSanitizer
# and UndefinedBehaviorSanitizer (without the slow real-time cases), and each fuzzer for a
# bounded time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
dir=$top/build/test
rm -rf "$dir"
"$top/scripts/build.sh" "$dir"
(cd "$dir" && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure --timeout 300)
# The Windows build under Wine (it installs mingw-w64 and Wine itself), with this build as its
# host build.
NEXALO_HOST_BUILD=$dir "$top/scripts/test-windows.sh"
rm -rf "$top/build/asan"
"$top/scripts/sanitize.sh" "$top/build/asan"
if [ -x "$top/scripts/fuzz.sh" ]; then
    "$top/scripts/fuzz.sh" "${NEXALO_FUZZ_SECONDS:-30}"
fi
echo "All tests passed."
