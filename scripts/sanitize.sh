#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (clang) in its own
# folder (default build/asan) and runs the test suite there.
#
#   scripts/sanitize.sh [--build-only | --test-only] [--all] [BUILD_FOLDER]
#
# Without --all the slow real-time cases (ctest label "slow") are left out, and so are the
# programs that hold only such cases and the benchmarks: a quick check beside an ordinary build
# that runs them. With --all (the test command) everything is built, the benchmarks too (they
# measure on an ordinary build; here they are only compiled), and every case runs.
#
# Any sanitizer finding ends the test program that ran into it, so the test fails; so does a
# leak, found when the program ends (the window's tests included: Qt on the offscreen platform
# leaves none behind).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_only=false
test_only=false
all=false
while [ $# -gt 0 ]; do
    case $1 in
    --build-only) build_only=true ;;
    --test-only) test_only=true ;;
    --all) all=true ;;
    *) break ;;
    esac
    shift
done
dir=${1:-$top/build/asan}

# The test programs also run while building, to list their cases.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# clang at -O1 with line tables only: it compiles the instrumented code in little more than half
# the time GCC takes, and still names the file and line of every frame of a report.
slow_programs=OFF
$all && slow_programs=ON
if command -v clang++ >/dev/null 2>&1; then cxx=clang++; else cxx=clang++-14; fi
$test_only || cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DNEXALO_SANITIZE=ON \
    -DNEXALO_BENCHMARKS=$slow_programs -DNEXALO_SLOW_TEST_PROGRAMS=$slow_programs >/dev/null
$test_only || cmake --build "$dir" -j"$(nproc)"
$build_only && exit 0
# The busy cases (tests/CMakeLists.txt) keep a core each busy in their own code: they run first,
# one a core. Then the rest, most of which wait on a simulated line and need little of a core
# but need it on time: NEXALO_TEST_JOBS of them at once, and no busy case beside them to starve
# them. With --all a case that fails runs once more, and its first failure stays in the output.
left_out=busy
$all || left_out="slow|busy"
repeat=()
$all && repeat=(--repeat until-pass:2)
finding="ERROR: (Address|Leak)Sanitizer|runtime error: "
status=0
run_cases() { # NAME JOBS CTEST_SELECTION...
    local log=$dir/Testing/Temporary/LastTest-$1.log jobs=$2
    shift 2
    (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest -j"$jobs" "$@" "${repeat[@]}" \
        --output-on-failure --timeout 600) || status=$?
    # Kept apart: the next run of ctest writes LastTest.log anew.
    cp "$dir/Testing/Temporary/LastTest.log" "$log"
    # A sanitizer's finding fails the command even when the case passed its second run.
    if grep -qE "$finding" "$log"; then
        grep -nE "$finding" "$log" | head -n 20
        echo "A sanitizer reported a finding: the whole report is in $log."
        status=1
    fi
}
run_cases busy "$(nproc)" -L busy
run_cases others "${NEXALO_TEST_JOBS:-$(nproc)}" -LE "$left_out"
exit "$status"
