#!/usr/bin/env bash
# Measures vesk-build on the full demo corpus: wall time, peak memory, and the
# builder's own summary (pages, characters per layer, data size apparent and
# on disk).
#
#   bench/build-demo.sh [SOURCE_DIR]       default: build/demo-source
#   bench/build-demo.sh --synthetic        a generated corpus of ~26 million
#                                          characters (bench/make-synthetic-source.py)
#
# The demo source is made by ./run (the demo-corpus converter in tools/). The
# builder is taken from $VESK_BIN (default build/bin/vesk-build); the data
# folder is written to a temporary folder and removed afterwards.
# Target: about 26 million characters in at most 60 s wall; peak memory under
# 1.5 GiB whatever the corpus (docs/performance.md, "The builder in bounded
# memory"). A corpus N times the demo: bench/make-scaled-source.py, then pass
# its folder as SOURCE_DIR.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
builder="${VESK_BIN:-$root/build/bin/vesk-build}"
source_dir="${1:-$root/build/demo-source}"

if [[ "$source_dir" == "--synthetic" ]]; then
  source_dir="$root/build/synthetic-source"
  if [[ ! -f "$source_dir/contents.txt" ]]; then
    echo "generating a synthetic source corpus in $source_dir ..." >&2
    python3 "$root/bench/make-synthetic-source.py" "$source_dir"
  fi
fi
if [[ ! -f "$source_dir/contents.txt" ]]; then
  echo "no source corpus at $source_dir: run ./run (it makes build/demo-source)," >&2
  echo "or pass a SOURCE_DIR, or use --synthetic" >&2
  exit 2
fi
if [[ ! -x "$builder" ]]; then
  echo "no builder at $builder: build the tree first (scripts/configure-build.sh)" >&2
  exit 2
fi
if [[ ! -x /usr/bin/time ]]; then
  echo "/usr/bin/time is missing: apt-get install time" >&2
  exit 2
fi

out="$(mktemp -d "${TMPDIR:-/tmp}/vesk-bench-XXXXXX")"
trap 'rm -rf "$out"' EXIT
log="$out/time.log"
/usr/bin/time -v -o "$log" "$builder" --force "$source_dir" "$out/data"
wall="$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$log")"
peak_kb="$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$log")"
echo "source: $source_dir"
echo "wall: $wall   peak memory: $((peak_kb / 1024)) MiB"
du -sh --apparent-size "$out/data" | sed 's/\t.*//; s/^/data folder apparent: /'
du -sh "$out/data" | sed 's/\t.*//; s/^/data folder on disk:  /'
