#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and runs each one
# for a short while (FUZZ_SECONDS, default 20) from its seed corpus. A crash,
# a leak or a sanitizer report fails the script; the input that caused it is
# left in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
targets=(fuzz_dnlfile fuzz_processrx fuzz_remafile fuzz_remachunk fuzz_configfile)

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTAVEMO_FUZZ=ON -DTAVEMO_BUILD_UI=OFF -DTAVEMO_BUILD_TESTS=OFF -DTAVEMO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"

mkdir -p build-fuzz/artifacts
for t in "${targets[@]}"; do
  seeds=tests/fuzz/corpus/${t#fuzz_}
  corpus=build-fuzz/corpus/${t#fuzz_}
  mkdir -p "$corpus"
  echo "== $t (${seconds} s)"
  log=build-fuzz/$t.log
  # -max_total_time bounds the run; timeout is the backstop should it hang.
  status=0
  timeout $((seconds + 60)) "build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix=build-fuzz/artifacts/ "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  grep -E "^Done|ERROR|SUMMARY" "$log" || true
  if [ "$status" -ne 0 ]; then
    echo "fuzz.sh: $t failed with status $status (log $log, input in build-fuzz/artifacts/)" >&2
    exit 1
  fi
done
echo "fuzz.sh: all targets ran clean"
