#!/usr/bin/env bash
# The comparison benchmark in short, on a small generated corpus: the engine,
# vesk-tool, SQLite FTS5 and ripgrep answer a few queries of every class and
# must find the same pages. Timings are printed, never checked.
# VESK_BUILD_DIR overrides build/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VESK_BUILD_DIR:-$root/build}"
if ! command -v rg >/dev/null; then
  echo "ci-bench-smoke: ripgrep (rg) is missing: scripts/setup-deps.sh test" >&2
  exit 1
fi
cmake --build "$build" --target compare_bench vesk-tool vesk-build >/dev/null
work="$(mktemp -d "${TMPDIR:-/tmp}/vesk-bench-smoke-XXXXXX")"
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/make-synthetic-source.py" "$work/source" --chars 200000 >/dev/null
"$build/bin/vesk-build" --quiet "$work/source" "$work/data"
if ! "$build/bin/compare_bench" --smoke --runs 2 --tool-runs 1 --peer-runs 1 --data "$work/data" \
    --work "$work/peers" --tool "$build/bin/vesk-tool" >"$work/report.txt" 2>&1; then
  cat "$work/report.txt" >&2
  echo "ci-bench-smoke: the searchers disagree (or a peer failed)" >&2
  exit 1
fi
echo "ci-bench-smoke: engine, vesk-tool, FTS5 and ripgrep agree on $(grep -c ' ok' "$work/report.txt") queries"
