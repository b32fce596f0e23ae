#!/usr/bin/env bash
# Builds the fuzz targets, writes their seed corpora and runs each target in
# turn for a given time (or number of executions, whichever comes first).
#
#   fuzz/run.sh [--time SECONDS] [--runs N] [--build DIR] [--fresh] [TARGET...]
#
# TARGET is one of data_folder keyword page hit_marker tables source_corpus
# (all when none is given). Defaults: 60 s, no limit on executions, build
# tree build-fuzz/ (clang++-14, core only, instrumented). Each target keeps
# its growing corpus in DIR/fuzz-corpus/TARGET unless --fresh is given (then
# it starts from the seeds alone, as the CI smoke does); logs go to
# DIR/fuzz-logs/TARGET.log and anything found to DIR/fuzz-artifacts/.
# Exits non-zero when any target reports a crash, a sanitizer finding, a
# leak, a time-out or running out of memory.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds=60
runs=-1
build="$root/build-fuzz"
fresh=0
targets=()
while (($#)); do
  case "$1" in
    --time) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --fresh) fresh=1; shift ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    -*) echo "fuzz/run.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
all=(data_folder keyword page hit_marker tables source_corpus)
((${#targets[@]})) || targets=("${all[@]}")

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++-14 \
    -DVESK_CORE_ONLY=ON -DVESK_TESTS=OFF -DVESK_FUZZ=ON >/dev/null
fi
mkdir -p "$build"
if ! cmake --build "$build" -j "$(nproc)" --target fuzz_targets >"$build/fuzz-build.log" 2>&1; then
  cat "$build/fuzz-build.log" >&2
  exit 1
fi

seeds="$build/fuzz-seeds"
rm -rf "$seeds"
"$build/bin/make-fuzz-seeds" "$seeds"

mkdir -p "$build/fuzz-logs" "$build/fuzz-artifacts"
failed=()
printf '%-14s %10s %8s %7s %7s %s\n' target executions seconds cov ft result
for t in "${targets[@]}"; do
  exe="$build/bin/fuzz_$t"
  [[ -x "$exe" ]] || { echo "fuzz/run.sh: no target $t" >&2; exit 2; }
  corpus="$build/fuzz-corpus/$t"
  if [[ $fresh == 1 ]]; then corpus="$(mktemp -d)"; fi
  mkdir -p "$corpus"
  log="$build/fuzz-logs/$t.log"
  start=$(date +%s)
  status=0
  "$exe" -dict="$root/fuzz/vesk.dict" -max_total_time="$seconds" -runs="$runs" -timeout=30 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" \
    "$corpus" "$seeds/$t" >"$log" 2>&1 || status=$?
  elapsed=$(( $(date +%s) - start ))
  if [[ $fresh == 1 ]]; then rm -rf "$corpus"; fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1 || true)
  cov=$( (grep -oE 'cov: [0-9]+' "$log" || true) | tail -1 | cut -d' ' -f2)
  ft=$( (grep -oE 'ft: [0-9]+' "$log" || true) | tail -1 | cut -d' ' -f2)
  result=ok
  if ((status != 0)) || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|property violated' "$log"; then
    result="FAILED (see $log)"
    failed+=("$t")
  fi
  printf '%-14s %10s %8s %7s %7s %s\n' "$t" "${execs:-?}" "$elapsed" "${cov:-?}" "${ft:-?}" "$result"
done
if ((${#failed[@]})); then
  echo "fuzz/run.sh: failed: ${failed[*]}" >&2
  exit 1
fi
