#!/usr/bin/env bash
# Builds the tool and the unit simulator, starts the simulator (an E2
# controller without PIN, published as "ttySIM0" or the next free name),
# then the tool. Pick "ttySIM0 : Tavemo unit simulator" on the
# COM-Interface page and press "Connect". The simulator stops when the tool
# closes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tavemo-config tavemo-unitsim tavemo-cli

ready=$(mktemp -u)
build/sim/tavemo-unitsim --device-type 2050 --ready-file "$ready" >/dev/null &
sim=$!
trap 'kill "$sim" 2>/dev/null; rm -f "$ready"' EXIT
for _ in $(seq 100); do
  [ -s "$ready" ] && break
  kill -0 "$sim" 2>/dev/null || { echo "run.sh: the simulator did not start" >&2; exit 1; }
  sleep 0.1
done
echo "Simulator ready: $(cat "$ready")"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # No desktop here (a server, a container): show the window on a virtual
  # display instead, so the tool still starts. Take a picture of it with
  # "xwd -root -display :99" or run this on a desktop.
  dpkg-query -W -f='${Status}' xvfb 2>/dev/null | grep -q "install ok installed" ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq xvfb xauth; }
  echo "No display found: the tool runs on a virtual X display (xvfb-run)."
  xvfb-run -a -s "-screen 0 1600x900x24" build/app/tavemo-config
else
  build/app/tavemo-config
fi
