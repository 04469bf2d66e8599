#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and runs each one
# for a short while (FUZZ_SECONDS, default 20) from its seed corpus. A crash,
# a leak or a sanitizer report fails the script; the input that caused it is
# left in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
targets=(fuzz_dnlfile fuzz_processrx fuzz_remafile fuzz_remachunk fuzz_configfile)
# "scripts/fuzz.sh build" builds the targets and runs nothing.
build_only=0
[[ ${1:-} == build ]] && build_only=1

# Lightly optimized with line tables only: the build is most of this
# script's time, and a crash report still names file and line.
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DTAVEMO_FUZZ=ON -DTAVEMO_BUILD_UI=OFF -DTAVEMO_BUILD_TESTS=OFF -DTAVEMO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
((build_only)) && exit 0

mkdir -p build-fuzz/artifacts
# One fuzzer per core at a time; each keeps its own log.
run() {
  local t=$1 seeds=tests/fuzz/corpus/${1#fuzz_} corpus=build-fuzz/corpus/${1#fuzz_}
  mkdir -p "$corpus"
  # -max_total_time bounds the run; timeout is the backstop should it hang.
  timeout $((seconds + 60)) "build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix=build-fuzz/artifacts/ "$corpus" "$seeds" >"build-fuzz/$t.log" 2>&1
}
failed=()
pids=()
names=()
finish() { # waits for the oldest run still going and reports it
  local t=${names[0]} status=0
  wait "${pids[0]}" || status=$?
  echo "== $t (${seconds} s)"
  grep -E "^Done|ERROR|SUMMARY" "build-fuzz/$t.log" || true
  if [ "$status" -ne 0 ]; then
    echo "fuzz.sh: $t failed with status $status (log build-fuzz/$t.log, input in build-fuzz/artifacts/)" >&2
    failed+=("$t")
  fi
  pids=("${pids[@]:1}")
  names=("${names[@]:1}")
}
for t in "${targets[@]}"; do
  ((${#pids[@]} < $(nproc))) || finish
  run "$t" &
  pids+=($!)
  names+=("$t")
done
while ((${#pids[@]})); do finish; done
if ((${#failed[@]})); then
  exit 1
fi
echo "fuzz.sh: all targets ran clean"
