#!/usr/bin/env bash
# Measures vesk-import with --build on texts of the demo corpus's size: the
# demo source corpus turned back into a plain-text tree and into TEI files
# (bench/make-import-input.py), then imported and built; wall time and peak
# memory (of the importer and its worker, from GNU time) for each, and the
# CPU time, which is what the wall time comes to on an idle machine (the work
# runs on one thread).
#
#   bench/import-demo.sh [text|tei|both] [SOURCE_DIR]   default: both, build/demo-source
#
# Target: the plain-text tree in under 60 s wall and 1 GiB peak; TEI comparable.
# The inputs are kept in build/import-bench/ (made again when missing); the
# outputs are written to a temporary folder and removed afterwards.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
importer="${VESK_BIN:-$root/build/bin}/vesk-import"
forms="${1:-both}"
source_dir="${2:-$root/build/demo-source}"
inputs="$root/build/import-bench"

if [[ ! -f "$source_dir/contents.txt" ]]; then
  echo "no source corpus at $source_dir: run ./run (it makes build/demo-source)" >&2
  exit 2
fi
[[ "$forms" == both ]] && forms="text tei"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

for form in $forms; do
  if [[ ! -d "$inputs/$form" ]]; then
    echo "making the $form input in $inputs/$form ..." >&2
    python3 "$root/bench/make-import-input.py" "$source_dir" "$inputs/$form.partial" "$form"
    mv "$inputs/$form.partial" "$inputs/$form"
  fi
  size=$(du -sm "$inputs/$form" | cut -f1)
  files=$(find "$inputs/$form" -type f | wc -l)
  echo "== $form: $files files, $size MB"
  args=(--from "$form" --build "$out/$form-data")
  [[ "$form" == text ]] && args+=(--note-brackets '〔〕')
  /usr/bin/time -f "wall %e s, cpu %U s user + %S s system, peak %M KiB" "$importer" "${args[@]}" "$inputs/$form" "$out/$form-source" 2>&1 |
    grep -v '^progress'
  rm -rf "$out/$form-data" "$out/$form-source"
done
