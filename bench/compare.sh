#!/usr/bin/env bash
# Our search engine beside its peers on the full demo corpus, in one run:
# SQLite FTS5 with the trigram tokenizer and a ripgrep scan, both over the
# page texts of the same data folder, against the engine in process and as a
# whole vesk-tool process. Prints per-query medians, ratios to the best peer
# and to the posting-bytes / memory-bandwidth bound, per-class sums, build
# times and sizes, the user-facing path, and which targets are met.
#
#   bench/compare.sh [OPTIONS] [DATA_DIR [SOURCE_DIR]]
#
#   DATA_DIR    default: build/bin (the demo data after ./run)
#   SOURCE_DIR  the source corpus the data was built from, for timing our
#               build; default: build/demo-source
#   OPTIONS     passed on to compare_bench: --runs N (ours, default 21),
#               --tool-runs N (default 31), --peer-runs N (default 3),
#               --reuse (keep the peers' files and the build times of the
#               previous run, in build/compare-work), --ours-only (no peers:
#               our in-process and process figures alone, e.g. on the 10x
#               corpus, whose FTS5 and ripgrep figures take half an hour)
#
# Then the window's own latency (window_latency_bench: the real main window,
# offscreen, on DATA_DIR), when the GUI is built.
#
# Takes a few minutes: the builds (ours and three FTS5 tables) come first.
# Needs libsqlite3-dev and ripgrep (scripts/setup-deps.sh bench).
# VESK_BUILD_DIR overrides build/. Exit 1 when some searcher's pages differ.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VESK_BUILD_DIR:-$root/build}"
options=()
while [[ $# -gt 0 && "$1" == --* ]]; do
  case "$1" in
    --reuse|--ours-only|--smoke) options+=("$1"); shift ;;
    *) options+=("$1" "$2"); shift 2 ;;
  esac
done
data="${1:-$build/bin}"
source_dir="${2:-$build/demo-source}"
if [[ ! -f "$data/Index-idx.h" ]]; then
  echo "no data folder at $data: run ./run (it makes the demo data in build/bin) or pass DATA_DIR" >&2
  exit 2
fi
cmake --build "$build" --target compare_bench vesk-tool vesk-build >/dev/null
window_bench=()
if cmake --build "$build" --target window_latency_bench >/dev/null 2>&1; then
  window_bench=("$build/bin/window_latency_bench" --data "$data")
fi
build_options=()
if [[ -f "$source_dir/contents.txt" ]]; then
  build_options=(--builder "$build/bin/vesk-build" --source "$source_dir")
else
  echo "no source corpus at $source_dir: our build time is not measured" >&2
fi
status=0
"$build/bin/compare_bench" --data "$data" --work "$build/compare-work" --tool "$build/bin/vesk-tool" \
  "${build_options[@]}" "${options[@]}" || status=$?
if [[ ${#window_bench[@]} -gt 0 ]]; then
  echo
  echo "window latency (input event to finished paint):"
  QT_QPA_PLATFORM=offscreen "${window_bench[@]}" 2>/dev/null || echo "window_latency_bench failed" >&2
else
  echo "window_latency_bench is not built (needs the GUI and Qt Test): no window latency" >&2
fi
exit "$status"
