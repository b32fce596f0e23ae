#!/usr/bin/env bash
# Builds the core, its tools and the unit tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang++-14) in their own tree, build-sanitize/
# (VESK_SANITIZE_BUILD_DIR overrides it), and runs the tests there. Any
# sanitizer report, leaks included, fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VESK_SANITIZE_BUILD_DIR:-$root/build-sanitize}"
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DVESK_CORE_ONLY=ON -DVESK_SANITIZE=ON >/dev/null
fi
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
