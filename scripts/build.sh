#!/usr/bin/env bash
# Configures and builds the project into the folder given (default build/): everything, or only
# the targets named after the folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build}
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=("${@:2}")
cmake --build "$dir" -j"$(nproc)" ${targets[@]+--target "${targets[@]}"}
