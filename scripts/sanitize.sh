#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in its own folder
# (default build/asan) and runs the test suite there. The slow real-time cases (ctest label
# "slow") are left out: the ordinary build runs them, and they spend their time waiting on the
# line in real time, in code that faster cases here reach too.
#
#   scripts/sanitize.sh [--build-only] [BUILD_FOLDER]
#
# Any sanitizer finding ends the test program that ran into it, so the test fails; so does a
# leak, found when the program ends (the window's tests included: Qt on the offscreen platform
# leaves none behind).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_only=false
if [ "${1:-}" = --build-only ]; then
    build_only=true
    shift
fi
dir=${1:-$top/build/asan}

# The test programs also run while building, to list their cases.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# -O1 with line tables only: compiles in about half the time of -O2 -g and still names the file
# and line of every frame of a report. The benchmarks measure, they test nothing, and the programs
# that hold only slow cases would not run here: neither is built.
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DNEXALO_SANITIZE=ON \
    -DNEXALO_BENCHMARKS=OFF -DNEXALO_SLOW_TEST_PROGRAMS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)"
$build_only && exit 0
(cd "$dir" && QT_QPA_PLATFORM=offscreen ctest -j"${NEXALO_TEST_JOBS:-$(nproc)}" -LE slow --output-on-failure --timeout 300)
