#!/usr/bin/env bash
# Draws the pages of the window and the Extend Timeout dialog again into docs/screenshots/ (the
# pictures in the README), with nexalo-screenshots of the build folder given (default build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build}
"$top/scripts/build.sh" "$dir" nexalo-screenshots
"$dir/tests/screenshots/nexalo-screenshots" "$top/docs/screenshots"
ls "$top/docs/screenshots"
