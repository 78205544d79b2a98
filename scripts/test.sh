#!/usr/bin/env bash
# The whole test suite from scratch: install what is missing, build in a fresh folder, run
# every test; the Windows build's tests under Wine; then the suite again under AddressSanitizer
# and UndefinedBehaviorSanitizer (without the slow real-time cases), and each fuzzer for a
# bounded time. Each step says how long it took.
#
# Most real-time cases wait on a simulated line, not on a core: ctest runs twice as many at
# once as there are cores (NEXALO_TEST_JOBS to change that). The Windows cross-build, the
# sanitizer build and the fuzzers compile beside the Ansible collection's test, in the kernel's
# idle class; the tests of those builds run once they are built.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${NEXALO_TEST_JOBS:-$(($(nproc) * 2))}
started=$SECONDS
step() { echo "== $1: $((SECONDS - started)) s so far"; }

"$top/scripts/setup.sh"
dir=$top/build/test
rm -rf "$dir" "$top/build/asan"
# Line tables only (as the sanitizer build): every frame of a failure is still named by file
# and line, and the build costs about a quarter less than with full debug information.
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null
"$top/scripts/build.sh" "$dir"
step "ordinary build"

suite=0
(cd "$dir" && QT_QPA_PLATFORM=offscreen ctest -j"$jobs" -LE ansible --output-on-failure --timeout 300) || suite=$?
step "ordinary suite"

# The other builds, one after the other, in the idle class, beside the Ansible collection's
# test (its playbooks wait on simulated sites; the line-timing cases of the ordinary suite
# above are kept apart from any compiler: beside the builds, even in the idle class, a
# pseudo-terminal peer was seen to fall behind). The Windows build takes this build as its
# host build.
builds_log=$top/build/other-builds.log
idle=(chrt --idle 0 ionice -c 3)
(
    export NEXALO_HOST_BUILD=$dir
    "${idle[@]}" "$top/scripts/test-windows.sh" --build-only
    "${idle[@]}" "$top/scripts/sanitize.sh" --build-only "$top/build/asan"
    "${idle[@]}" "$top/scripts/fuzz.sh" --build-only
) >"$builds_log" 2>&1 &
builds=$!
(cd "$dir" && ctest -L ansible --output-on-failure --timeout 600) || suite=$?
step "Ansible collection"
if ! wait "$builds"; then
    tail -n 80 "$builds_log"
    echo "The Windows, sanitizer or fuzzing build failed (whole output in $builds_log)."
    exit 1
fi
step "Windows, sanitizer and fuzzing builds (the rest of them)"
[ "$suite" = 0 ] || exit "$suite"

# The Windows build under Wine (it installs mingw-w64 and Wine itself), with this build as its
# host build; its build has been done above.
NEXALO_HOST_BUILD=$dir "$top/scripts/test-windows.sh"
step "Windows tests"
NEXALO_TEST_JOBS=$jobs "$top/scripts/sanitize.sh" "$top/build/asan"
step "sanitizer suite"
"$top/scripts/fuzz.sh" "${NEXALO_FUZZ_SECONDS:-30}"
step "fuzzing"
echo "All tests passed."
