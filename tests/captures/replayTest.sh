#!/bin/sh
# One capture of the corpus replayed against this build: the recorded command runs again, with
# the build's sample firmware files, against nexalo-sim --replay, and must send the same requests
# and end the same way. A change to the tool's exchange shows here as a divergence.
#
#   replayTest.sh NEXALO_CLI SAMPLES_FOLDER CAPTURE
set -eu
cli=$1 samples=$2 capture=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
grep -v '^#' "$samples/samples.txt" | cut -f1 | while read -r file; do cp "$samples/$file" "$work/"; done
status=0
(cd "$work" && "$cli" replay "$capture") >"$work/out" 2>&1 || status=$?
verdict=$(tail -n 1 "$work/out")
echo "$verdict"
case $verdict in
Reproduced:*) [ "$status" = 0 ] || { echo "exit status $status"; exit 1; } ;;
*) cat "$work/out"; exit 1 ;;
esac
# Nothing the replayed run wrote is left in the working folder.
[ ! -e "$work/nexalo-history.jsonl" ] || { echo "the replay wrote the folder's history"; exit 1; }
