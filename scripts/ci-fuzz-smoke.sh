#!/usr/bin/env bash
# Builds the fuzz targets (build-fuzz/, or VESK_FUZZ_BUILD_DIR) and runs each
# for a short while from its seed corpus alone: VESK_FUZZ_SMOKE_SECONDS each,
# 12 by default. Fails on any crash, sanitizer report, leak, time-out or
# running out of memory (fuzz/run.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
exec "$root/fuzz/run.sh" --build "${VESK_FUZZ_BUILD_DIR:-$root/build-fuzz}" \
  --time "${VESK_FUZZ_SMOKE_SECONDS:-12}" --fresh
