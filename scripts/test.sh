#!/usr/bin/env bash
# The whole test suite from scratch: install what is missing, build in a fresh folder, run
# every test; the Windows build's tests under Wine; then the suite again under AddressSanitizer
# and UndefinedBehaviorSanitizer (without the slow real-time cases), and each fuzzer for a
# bounded time. Each step says how long it took.
#
# Most real-time cases wait on a simulated line, not on a core: ctest runs twice as many at
# once as there are cores (NEXALO_TEST_JOBS to change that).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${NEXALO_TEST_JOBS:-$(($(nproc) * 2))}
started=$SECONDS
step() { echo "== $1: $((SECONDS - started)) s so far"; }

"$top/scripts/setup.sh"
dir=$top/build/test
rm -rf "$dir"
"$top/scripts/build.sh" "$dir"
step "ordinary build"
(cd "$dir" && QT_QPA_PLATFORM=offscreen ctest -j"$jobs" --output-on-failure --timeout 300)
step "ordinary suite"
# The Windows build under Wine (it installs mingw-w64 and Wine itself), with this build as its
# host build.
NEXALO_HOST_BUILD=$dir "$top/scripts/test-windows.sh"
step "Windows build and tests"
rm -rf "$top/build/asan"
NEXALO_TEST_JOBS=$jobs "$top/scripts/sanitize.sh" "$top/build/asan"
step "sanitizer build and suite"
if [ -x "$top/scripts/fuzz.sh" ]; then
    "$top/scripts/fuzz.sh" "${NEXALO_FUZZ_SECONDS:-30}"
fi
step "fuzzing"
echo "All tests passed."
