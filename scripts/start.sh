#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zizovez.
# With a display, the window opens on it and records the default sound input.
# Without one (a server, a fresh machine), the window runs on a virtual X
# server, recording a generated test signal (1.0 and 1.18 ms, alternately)
# through a FIFO-fed ALSA device; the script presses Start, waits, saves a
# screenshot to build/zizovez-demo.png and closes the window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target zizovez zizovez-measure zizovez-fifo-card

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/shell/zizovez
fi

echo "No display: running Zizovez on a virtual X server with a generated test signal."
build/tools/measure/zizovez-measure generate --delay 1.0,1.18 --pulses 80 --interval 150 build/demo.wav
build/tests/zizovez-fifo-card build/demo.wav 14 > build/fifo-card.txt &
card=$!
for _ in $(seq 50); do [ -s build/fifo-card.txt ] && break; sleep 0.1; done
export ALSA_CONFIG_PATH
ALSA_CONFIG_PATH=$(head -n 1 build/fifo-card.txt)
runtime=$(mktemp -d)
XDG_RUNTIME_DIR=$runtime xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  build/shell/zizovez &
  program=$!
  window=$(xdotool search --sync --onlyvisible --name "Zizovez 1.01" | head -n 1)
  sleep 1
  xdotool mousemove --window "$window" 45 38 click 1   # Start
  sleep 8
  import -window "$window" build/zizovez-demo.png
  xdotool windowfocus --sync "$window" key --window "$window" alt+f
  sleep 0.3
  xdotool key x                                         # File > Exit
  wait "$program"
'
wait "$card" || true
rm -rf "$runtime"
echo "Screenshot of the window measuring: build/zizovez-demo.png"
