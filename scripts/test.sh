#!/usr/bin/env bash
# Builds the program and runs every test: the core (record store, model,
# exchange, data files, command line) without widgets under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the whole program with the widget tests.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# Every suite runs under the C locale and again under the users' own, whose
# decimal comma reaches the C library once the application object exists.
run_tests() {
  LANG=C.UTF-8 LC_ALL=C.UTF-8 "$@"
  LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 "$@"
}

jobs=$(nproc 2>/dev/null || echo 2)
extra=()
if [ "${CI:-}" = "true" ]; then
  extra+=(-DCMAKE_CXX_FLAGS=-Werror)
fi

# The core (record store, model, exchange, command line) with no widget
# library at all, so a stray widget include in the core fails here.
cmake -S . -B build/core -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DF2TP_GUI=OFF -DF2TP_SANITIZE=ON "${extra[@]}"
cmake --build build/core -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_tests ctest --test-dir build/core --output-on-failure -j "$jobs"

# The whole program; its core tests already ran above under the sanitizers, so
# this build adds the widget tests, running headless.
cmake -S . -B build/full -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DF2TP_GUI=ON -DF2TP_CORE_TESTS=OFF "${extra[@]}"
cmake --build build/full -j "$jobs"
QT_QPA_PLATFORM=offscreen run_tests ctest --test-dir build/full --output-on-failure -j "$jobs"
