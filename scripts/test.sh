#!/usr/bin/env bash
# Builds everything and runs every test: once in a normal build, then the
# Debian package's checks (scripts/package.sh), then the
# Windows build under wine (scripts/test-windows.sh), once more built with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets for
# a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
# Most tests spend their time waiting on the serial line's time-outs, not
# computing: four at a time per core keep the cores busy.
test_jobs=$((jobs * 4))
start=$SECONDS
stage() { echo "== $1 ($((SECONDS - start)) s)"; }

# A new build folder is made with Ninja; an existing one keeps its generator.
generator() { [[ -f $1/CMakeCache.txt ]] || echo "-GNinja"; }

# Debug information is left out here and the code is only lightly optimized:
# the compiler's time dominates the run, and the tests need neither a
# debugger nor the last bit of speed. The sanitizer build keeps line tables
# for its reports and is not optimized at all (its tests wait on the
# simulator, not on the processor).
# The benchmarks and the screenshot programs are run by hand, not by the
# tests: they are left out of this build (the README's run command and a
# plain build make them).
stage "normal build"
cmake $(generator build) -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1" \
  -DTAVEMO_BUILD_BENCH=OFF -DTAVEMO_BUILD_SCREENSHOTS=OFF >/dev/null
cmake --build build -j"$jobs"

# The tests mostly wait on serial time-outs and the simulator: while they
# run, the next build goes on in the background at the lowest priority, so
# it takes only the time the tests leave idle and never slows them down.
background=()
trap 'for p in "${background[@]}"; do pkill -TERM -P "$p" 2>/dev/null || true; kill "$p" 2>/dev/null || true; done' EXIT
# in_background NAME LOG COMMAND...: starts the command niced, its output to LOG.
in_background() {
  local name=$1 log=$2; shift 2
  nice -n 19 "$@" >"$log" 2>&1 &
  background+=($!)
  printf -v "$name" '%s' "$!"
}
# finish_background PID LOG: waits for it; on failure shows its output.
finish_background() {
  if ! wait "$1"; then
    cat "$2"; echo "test.sh: a background build failed (log $2)" >&2; exit 1
  fi
}

cmake $(generator build-asan) -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1" \
  -DTAVEMO_SANITIZE=ON -DTAVEMO_BUILD_BENCH=OFF -DTAVEMO_BUILD_SCREENSHOTS=OFF >/dev/null
in_background asan_pid build-asan/background-build.log cmake --build build-asan -j"$jobs"
stage "tests"
ctest --test-dir build --output-on-failure -j"$test_jobs" --timeout 300

# The Debian package from the same build folder (nothing is built again):
# lintian, the desktop and AppStream checks, and the unpacked programs.
stage "package"
scripts/package.sh build

stage "Windows build and tests under wine"
scripts/test-windows.sh build

stage "sanitizer build (the rest of it)"
finish_background "$asan_pid" build-asan/background-build.log
mkdir -p build-fuzz
in_background fuzz_pid build-fuzz/background-build.log scripts/fuzz.sh build
stage "tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$test_jobs" --timeout 600

stage "fuzzing"
finish_background "$fuzz_pid" build-fuzz/background-build.log
FUZZ_SECONDS=${FUZZ_SECONDS:-5} scripts/fuzz.sh
stage "done"
