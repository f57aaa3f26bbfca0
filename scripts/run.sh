#!/usr/bin/env bash
# Builds the program and starts it from the build folder, where its data,
# templates and help lie beside it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DF2TP_GUI=ON -DF2TP_TESTS=OFF
cmake --build build/run -j "$jobs"

if [ -x build/run/bin/f2tp ]; then
  exec build/run/bin/f2tp "$@"
fi
# Until the desktop program is built, the command-line companion starts.
exec build/run/bin/f2tp-cli "$@"
