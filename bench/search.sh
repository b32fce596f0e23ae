#!/usr/bin/env bash
# Builds and runs the keyword-search benchmark on a data folder (default: the
# demo data in build/bin, made by ./run). Usage: bench/search.sh [DATA_DIR] [RUNS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VESK_BUILD_DIR:-$root/build}"
data="${1:-$build/bin}"
runs="${2:-15}"
cmake --build "$build" --target search_bench >/dev/null
exec "$build/bin/search_bench" --data "$data" --runs "$runs"
