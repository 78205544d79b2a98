#!/bin/sh
# Builds the libFuzzer harnesses of the firmware file readers, of SHA256SUMS, minisign keys and
# signatures and history lines, of the reply collection and of
# the readers of reply fields (alone and inside the procedures that read them) with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer in their own build folder, and runs each one
# for a bounded time, as many at once as there are cores (NEXALO_FUZZ_JOBS to change that).
#
#   scripts/fuzz.sh [SECONDS]     seconds per harness, 30 when not given
#   scripts/fuzz.sh --build-only  builds the harnesses and runs none
#
# Fails (status 1) when any harness reports a finding; the input that caused it is left in
# build-fuzz/artifacts/. NEXALO_FUZZ_BUILD overrides the build folder.
set -eu

build_only=false
if [ "${1:-}" = --build-only ]; then
    build_only=true
    shift
fi
seconds=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NEXALO_FUZZ_BUILD:-$root/build-fuzz}
readers="hexReader motReader remoteImage pollResponse replyFields replyProcedures trustReaders captureReader telnetCodec jsonReaders"

if command -v clang++ >/dev/null 2>&1; then cxx=clang++; else cxx=clang++-14; fi
generator=""
if command -v ninja >/dev/null 2>&1; then generator="-G Ninja"; fi

mkdir -p "$build"
# -O1 with line tables only, as the sanitizer build: a finding's stack still names file and line.
# shellcheck disable=SC2086
cmake -S "$root" -B "$build" $generator -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DCMAKE_CXX_COMPILER="$cxx" -DNEXALO_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
    >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
targets=""
for reader in $readers; do targets="$targets fuzz_$reader"; done
# shellcheck disable=SC2086
cmake --build "$build" --target $targets
if $build_only; then exit 0; fi

status=0
mkdir -p "$build/artifacts"
# One harness for each core at a time: each is bounded by its own time, not by the others.
jobs=${NEXALO_FUZZ_JOBS:-$(nproc)}
run_one() {
    reader=$1
    corpus="$build/corpus/$reader"
    mkdir -p "$corpus"
    "$build/tests/fuzz/fuzz_$reader" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/$reader-" \
        "$corpus" "$root/tests/fuzz/corpus/$reader" 2>"$build/fuzz_$reader.log"
    echo $? >"$build/fuzz_$reader.status"
}
running=0
for reader in $readers; do
    echo "== fuzz_$reader for $seconds s"
    run_one "$reader" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait
        running=0
    fi
done
wait
for reader in $readers; do
    if [ "$(cat "$build/fuzz_$reader.status")" != 0 ]; then
        tail -n 60 "$build/fuzz_$reader.log"
        echo "fuzz_$reader: finding, see $build/artifacts/"
        status=1
    else
        echo "fuzz_$reader:"
        grep -E '^stat::number_of_executed_units|^Done' "$build/fuzz_$reader.log" || true
    fi
done
exit $status
