#!/usr/bin/env bash
# Configures and builds into build/ (or $VELMORA_BUILD_DIR), with warnings as errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
jobs=$(nproc)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON >/dev/null
cmake --build "$build" -j "$jobs"
