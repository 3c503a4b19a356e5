#!/usr/bin/env bash
# Installs what is missing, builds, and starts Orvanta. Without a display it counts the bundled
# samples with the command-line counter and prints the result.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh

cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"

bin=build/bin
if [[ -x "$bin/orvanta" && ( -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ) ]]; then
  exec "$bin/orvanta" "$@"
fi
exec "$bin/orvanta-count" --lengths 4 "$bin/Samples"
