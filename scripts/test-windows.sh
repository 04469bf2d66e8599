#!/usr/bin/env bash
# The Windows stage of the test command: cross-builds the core, tavemo-cli.exe
# and the core tests with mingw-w64 (warnings fail the stage), boots a private
# wine prefix once, gives it two COM ports with tavemo-unitsim behind them
# (COM5 a unit, COM6 a silent one), runs the core tests under wine and then
# tavemo-cli.exe against the simulator: identify, read, write, an export and
# import of a file named outside the ANSI code page, a firmware update, a silent unit and a port that does not exist. Last, a 64 KiB
# download under wine is timed against the same download on Linux.
#   scripts/test-windows.sh [LINUX_BUILD_DIR]   (default: build)
# The Linux build folder must hold tavemo-unitsim, tavemo-cli and
# make_test_dnl (the normal build of scripts/test.sh makes them).
set -euo pipefail
cd "$(dirname "$0")/.."
linux_build=${1:-build}
win_build=build-win
start=$SECONDS
step() { echo "-- $1 ($((SECONDS - start)) s)"; }

for program in x86_64-w64-mingw32-g++-posix wine wineboot wineserver; do
  command -v "$program" >/dev/null || { echo "test-windows: $program is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done
for program in sim/tavemo-unitsim tools/cli/tavemo-cli tests/update/make_test_dnl; do
  [[ -x $linux_build/$program ]] || { echo "test-windows: $linux_build/$program is missing (build the Linux tree first)" >&2; exit 1; }
done

# ---- the cross build ---------------------------------------------------------
step "mingw-w64 build"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  # Paths relative to the checkout: another checkout of the same sources
  # finds the objects of this one.
  export CCACHE_BASEDIR=$PWD
fi
# Lightly optimized like the Linux test build, without debug information.
generator=()
[[ -f $win_build/CMakeCache.txt ]] || generator=(-GNinja)
cmake --no-warn-unused-cli "${generator[@]}" -S . -B "$win_build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1" "${launcher[@]}" >/dev/null
build_log=$(mktemp)
if ! cmake --build "$win_build" -j2 >"$build_log" 2>&1; then
  cat "$build_log"; rm -f "$build_log"; exit 1
fi
if grep -q "warning" "$build_log"; then
  grep -B2 -A6 "warning" "$build_log"; rm -f "$build_log"
  echo "test-windows: the Windows build has warnings" >&2; exit 1
fi
rm -f "$build_log"

# ---- a private wine prefix with two simulated units ----------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/tavemo-wine-XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Command lines and file names reach wine as UTF-8; its ANSI code page stays
# the Western one, as on most installers' laptops.
export LC_ALL=C.UTF-8
export XDG_RUNTIME_DIR=$work/run # the simulators publish their ports here
mkdir -m 700 "$XDG_RUNTIME_DIR"
sim_pids=()
cleanup() {
  for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Starts a simulator; its ready line ("<name> <pty>") lands in the variable
# named first. No polling: the line is read from the simulator's output.
start_sim() {
  local var=$1; shift
  local fifo=$work/$var.fifo
  mkfifo "$fifo"
  "$linux_build/sim/tavemo-unitsim" "$@" >"$fifo" 2>"$work/$var.err" &
  sim_pids+=($!)
  local line
  if ! read -r -t 10 line <"$fifo"; then
    cat "$work/$var.err" >&2; echo "test-windows: the simulator did not start" >&2; exit 1
  fi
  printf -v "$var" '%s' "$line"
}
step "simulators and wine prefix"
start_sim unit_ready --name ttyWINUNIT --transcript "$work/unit.transcript" --dl-reboot-ms 0
start_sim silent_ready --name ttyWINSILENT --silent
unit_pty=${unit_ready#* }
silent_pty=${silent_ready#* }

wineboot -i >"$work/wineboot.log" 2>&1
# wine's mount manager makes a COM port of every entry of this key when its
# server starts: the dosdevices link and the system's serial device.
wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$unit_pty" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v COM6 /d "$silent_pty" /f >/dev/null 2>&1
wineserver -k
wineserver -w
ln -sfn "$unit_pty" "$WINEPREFIX/dosdevices/com5"
ln -sfn "$silent_pty" "$WINEPREFIX/dosdevices/com6"

# ---- the core tests under wine --------------------------------------------------
step "core tests under wine"
failures=0
pids=()
names=()
for exe in "$win_build"/tests/windows/*.exe; do
  name=$(basename "$exe" .exe)
  TAVEMO_TEST_COM=COM5 wine "$exe" >"$work/$name.log" 2>&1 &
  pids+=($!)
  names+=("$name")
done
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "   ${names[$i]}: $(grep -E '^\[  PASSED  \]' "$work/${names[$i]}.log")"
  else
    cat "$work/${names[$i]}.log"
    echo "   ${names[$i]}: FAILED"
    failures=$((failures + 1))
  fi
done

# ---- tavemo-cli.exe against the simulator ----------------------------------------
step "tavemo-cli.exe under wine"
cli_exe=$win_build/tools/cli/tavemo-cli.exe
# check NAME STATUS TEXT ARGS...: runs tavemo-cli.exe with ARGS and wants the
# exit status STATUS and TEXT in its output.
check() {
  local name=$1 want=$2 text=$3; shift 3
  local out status=0
  out=$(wine "$cli_exe" "$@" 2>&1) || status=$?
  if [[ $status -eq $want && $out == *"$text"* ]]; then
    echo "   ok: $name"
  else
    echo "   FAILED: $name (exit $status, wanted $want and '$text'):"
    printf '%s\n' "$out" | sed 's/^/     /'
    failures=$((failures + 1))
  fi
}
check "the port list names COM5" 0 "COM5 - " ports
check "read prints the device type" 0 "2000=2050" --port COM5 read 2000
check "identify names the unit" 0 "device-type=2050 ORVELANT" --port COM5 identify
check "write sends the value" 0 "" --port COM5 write 400=215
if grep -q "RX Mw400 215" "$work/unit.transcript"; then
  echo "   ok: the unit received Mw400 215"
else
  echo "   FAILED: the unit's transcript has no Mw400 215"; failures=$((failures + 1))
fi
check "read gives the written value back" 0 "400=215" --port COM5 read 400
# A file name outside the ANSI code page: each letter kept through the
# command line, the export's temporary file and rename, and the import.
odd_name='Łódź.csv'
odd_win="Z:${work//\//\\}\\$odd_name"
check "an export to $odd_name" 0 "registers written" --port COM5 export --categories common "$odd_win"
if [[ -s $work/$odd_name ]]; then
  echo "   ok: the file is named $odd_name"
else
  echo "   FAILED: no $odd_name; the folder holds: $(ls "$work")"; failures=$((failures + 1))
fi
check "an import of $odd_name" 0 "Save To NVRAM done" --port COM5 import "$odd_win"
check "a value out of range is refused unsent" 1 "out of range" --port COM5 write 2010=5
check "the device path opens the port too" 0 "2000=2050" --port '\\.\COM5' read 2000
check "a silent unit times out" 1 "error -10: the read failed in both attempts" --port COM6 read 2000
check "a port that does not exist" 1 "error -30: the port is gone" --port COM199 read 2000

"$linux_build/tests/update/make_test_dnl" "$work/fw64k.dnl" 65536 2.2.0
dnl_win="Z:${work//\//\\}\\fw64k.dnl"
check "a firmware update completes" 0 "Download complete" --port COM5 update "$dnl_win"

# ---- 64 KiB download: wine against Linux ------------------------------------------
step "64 KiB download, wine and Linux"
# The transfer rate the tool reports on its last progress line (kB/s), the
# best of two runs: process start-up is not part of it.
rate() { "$@" 2>&1 | grep -o '[0-9.]* kB/s' | tail -1 | cut -d' ' -f1; }
best() { printf '%s\n%s\n' "$1" "$2" | sort -g | tail -1; }
linux_rate=$(best "$(rate "$linux_build/tools/cli/tavemo-cli" --port ttyWINUNIT update "$work/fw64k.dnl")" \
                  "$(rate "$linux_build/tools/cli/tavemo-cli" --port ttyWINUNIT update "$work/fw64k.dnl")")
wine_rate=$(best "$(rate wine "$cli_exe" --port COM5 update "$dnl_win")" \
                 "$(rate wine "$cli_exe" --port COM5 update "$dnl_win")")
ms() { awk -v r="$1" 'BEGIN { if (r > 0) printf "%d", 65544 / 1024 / r * 1000; else print "?" }'; }
echo "   Linux: $linux_rate kB/s ($(ms "$linux_rate") ms), wine: $wine_rate kB/s ($(ms "$wine_rate") ms)"
if ! awk -v l="$linux_rate" -v w="$wine_rate" 'BEGIN { exit !(w > 0 && l / w <= 1.2) }'; then
  echo "   FAILED: the download under wine is more than 1.2 x slower"; failures=$((failures + 1))
fi

step "done"
if ((failures)); then
  echo "test-windows: $failures failure(s)" >&2
  exit 1
fi
