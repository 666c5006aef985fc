#!/usr/bin/env bash
# Installs what is missing, builds, and measures a generated recording with
# known delays (1.0 ms and 2.5 ms), printing its pulses.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target zizovez-measure

demo=build/demo.wav
build/tools/measure/zizovez-measure generate --delay 1.0,2.5 --pulses 10 "$demo"
build/tools/measure/zizovez-measure "$demo"
