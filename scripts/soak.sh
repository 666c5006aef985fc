#!/usr/bin/env bash
# Soak run of the capture ring: 24 hours of audio through the scripted driver
# as fast as it goes, first from the program's start, then from the state a
# program has after two and a quarter days without a trigger, so that
# SinceTrigger crosses 2^31.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target capture_soak
build/tests/capture_soak 24 0
build/tests/capture_soak 24 $((2147483648 - 11025 * 3600 * 12))
