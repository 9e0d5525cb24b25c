#!/usr/bin/env bash
# Installs, builds and starts Velmora with the data folder ~/Velmora (or $VELMORA_DATA).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
build=${VELMORA_BUILD_DIR:-$root/build}
data=${VELMORA_DATA:-$HOME/Velmora}
mkdir -p "$data"
cd "$data"
exec "$build/bin/velmora" "$@"
