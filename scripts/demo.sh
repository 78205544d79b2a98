#!/usr/bin/env bash
# Runs the tool on the simulated demo network: installs and builds what is missing, starts
# nexalo-sim in a working folder that holds the sample firmware files, then opens the window
# (or, without a display, runs the command-line tool against the same network). It builds only
# the programs and the sample files it runs, not the tests and benchmarks.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
dir=$top/build/demo
"$top/scripts/build.sh" "$dir" nexalo-upgrade nexalo-cli nexalo-sim nexalo-fw-samples

work=$top/out/demo
rm -rf "$work"
mkdir -p "$work"
# The sample firmware files that the build generated, listed in samples.txt.
samples=$dir/sim/firmware
grep -v '^#' "$samples/samples.txt" | cut -f1 | while read -r name; do cp "$samples/$name" "$work/"; done

cd "$work"
"$dir/sim/nexalo-sim" --link COM1 --baud 38400 "$top/sim/networks/demo.json" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -L COM1 ] && break; sleep 0.1; done

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    "$dir/app/nexalo-upgrade"
else
    echo "No display: running the command-line tool against the simulated network."
    cli=$dir/cli/nexalo-cli
    echo "\$ nexalo-cli probe --address 0100"
    "$cli" --port COM1 probe --address 0100
    echo "\$ nexalo-cli versions"
    "$cli" versions
    echo "\$ nexalo-cli upgrade --unit-type terminal --controller 01 --terminal 01"
    "$cli" --port COM1 upgrade --unit-type terminal --controller 01 --terminal 01
fi
