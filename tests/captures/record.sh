#!/bin/sh
# Records the captures of this folder again from the simulator's fault scenarios (networks/):
#   tests/captures/record.sh BUILD_DIR
# Each scenario runs nexalo-cli with --capture against nexalo-sim in a fresh folder holding the
# build's sample firmware files. A capture that a change to the tool's exchange makes diverge is
# recorded again this way, and the reason goes in the commit.
set -eu
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cli=$build/cli/nexalo-cli
sim=$build/sim/nexalo-sim
samples=$build/sim/firmware

# record NAME NETWORK [CUT_AFTER_SECONDS] -- ARGUMENTS...
record() {
    name=$1 network=$2 cut=$3
    shift 4
    work=$(mktemp -d)
    grep -v '^#' "$samples/samples.txt" | cut -f1 | while read -r file; do
        cp "$samples/$file" "$work/"
    done
    (cd "$work" && exec "$sim" --link COM1 --baud 38400 "$here/networks/$network.json") \
        >/dev/null 2>&1 &
    simulator=$!
    while [ ! -L "$work/COM1" ]; do sleep 0.05; done
    if [ "$cut" != 0 ]; then
        # The line is lost under the run: the simulator ends while the pages go out.
        (sleep "$cut" && kill "$simulator") &
    fi
    (cd "$work" && "$cli" --capture "$name.jsonl" "$@") >/dev/null || true
    kill "$simulator" 2>/dev/null || true
    wait "$simulator" 2>/dev/null || true
    cp "$work/$name.jsonl" "$here/$name.jsonl"
    rm -rf "$work"
    echo "$name: $("$cli" capture show "$here/$name.jsonl" | tail -n 1)"
}

terminal="upgrade --unit-type terminal --controller 01 --terminal 01"
# shellcheck disable=SC2086
record stops-answering stops-answering 0 -- $terminal
# shellcheck disable=SC2086
record erase-error erase-error 0 -- $terminal
record remote-too-old remote-too-old 0 -- upgrade --unit-type remote --controller 01 --terminal 03
# shellcheck disable=SC2086
record lost-line lost-line 2 -- $terminal
# shellcheck disable=SC2086
record noisy-line noisy-line 0 -- --extra-attempts 2 $terminal
