#!/usr/bin/env bash
# The one test command: installs what is missing, builds, runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup
cmake -S . -B build -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cd build
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)" --timeout 1200
