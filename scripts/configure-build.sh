#!/usr/bin/env bash
# Configures (once) and builds the main tree in build/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VESK_BUILD_DIR:-$root/build}"
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ >/dev/null
fi
cmake --build "$build" -j "$(nproc)"
