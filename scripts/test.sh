#!/usr/bin/env bash
# Builds everything and runs every test: once in a normal build, once more
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz
# targets for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVEMO_SANITIZE=ON -DTAVEMO_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 600

if [ -x scripts/fuzz.sh ]; then
  scripts/fuzz.sh
fi
