#!/usr/bin/env bash
# Sets up the machine, builds the skin gallery and writes a PNG picture of
# every skinned control in every state, and of the windows made of them, to
# build/gallery:
#   bash scripts/gallery.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target gallery
