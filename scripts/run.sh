#!/usr/bin/env bash
# Builds the tool and prints the register map.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
build/tools/cli/tavemo-cli catalogue
