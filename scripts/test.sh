#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in an optimised
# build, once under AddressSanitizer and UndefinedBehaviorSanitizer. The
# second build leaves out the run-time choice of vector instructions, so the
# portable code path is tested too.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZIZOVEZ_SANITIZE=ON -DZIZOVEZ_BENCHMARKS=OFF \
  -DZIZOVEZ_VECTOR_CLONES=OFF
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
