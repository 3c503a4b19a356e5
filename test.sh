#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with CTest under the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh

jobs=$(nproc)
cmake -S . -B build -G Ninja -DORVANTA_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$jobs"
