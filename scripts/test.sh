#!/usr/bin/env bash
# The whole test suite from scratch: install what is missing, build in a fresh folder, run every
# test once. Everything is built once, with AddressSanitizer and UndefinedBehaviorSanitizer, and
# every case runs there, the slow real-time ones, the package and the Ansible collection
# included. Then the Windows build's tests under Wine, and each fuzzer for a bounded time. Each
# step says how long it took.
#
# Most real-time cases wait on a simulated line, not on a core: ctest runs twice as many at
# once as there are cores (NEXALO_TEST_JOBS to change that). The Windows cross-build and the
# fuzzing harnesses compile beside the suite at the lowest priority (nice 19): they take little
# more than what the tests leave of the cores. Not in the kernel's idle class: on a virtual
# machine a core that runs only idle-class work can be treated as idle, and the real-time cases
# then missed their replies (4 runs of 20 of a survey-and-comms-test case failed beside three
# idle-class busy loops; none of 20 beside three at nice 19, nor beside three at nice 0).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${NEXALO_TEST_JOBS:-$(($(nproc) * 2))}
started=$SECONDS
step() { echo "== $1: $((SECONDS - started)) s so far"; }

"$top/scripts/setup.sh"
dir=$top/build/asan
rm -rf "$dir" "$top/build/test"

# Each case keeps its working folder under TMPDIR: on a memory file system when there is one
# with room, where the history's flush to disk after each record costs nothing.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] &&
    [ "$(df -Pk /dev/shm | awk 'NR==2{print $4}')" -gt 2000000 ]; then
    TMPDIR=$(mktemp -d /dev/shm/nexalo-tests-XXXXXX)
    export TMPDIR
    trap 'rm -rf "$TMPDIR"' EXIT
fi

"$top/scripts/sanitize.sh" --build-only --all "$dir"
step "build (sanitizers)"

# The Windows cross-build takes this build as its host build.
builds_log=$top/build/other-builds.log
low=(nice -n 19 ionice -c 3)
(
    export NEXALO_HOST_BUILD=$dir
    "${low[@]}" "$top/scripts/test-windows.sh" --build-only
    "${low[@]}" "$top/scripts/fuzz.sh" --build-only
) >"$builds_log" 2>&1 &
builds=$!
suite=0
NEXALO_TEST_JOBS=$jobs "$top/scripts/sanitize.sh" --test-only --all "$dir" || suite=$?
step "suite (sanitizers)"
if ! wait "$builds"; then
    tail -n 80 "$builds_log"
    echo "The Windows or fuzzing build failed (whole output in $builds_log)."
    exit 1
fi
step "Windows and fuzzing builds (the rest of them)"
[ "$suite" = 0 ] || exit "$suite"

NEXALO_HOST_BUILD=$dir "$top/scripts/test-windows.sh"
step "Windows tests"
"$top/scripts/fuzz.sh" "${NEXALO_FUZZ_SECONDS:-30}"
step "fuzzing"
echo "All tests passed."
