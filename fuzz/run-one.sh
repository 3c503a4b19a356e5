#!/usr/bin/env bash
# run-one.sh FUZZER CORPUS SECONDS: runs one fuzz target for SECONDS over its saved corpus.
# New inputs go to a scratch folder, so the saved corpus only changes when someone copies them
# in; a crash leaves its input in the current folder and fails.
set -euo pipefail
fuzzer=$1 corpus=$2 seconds=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$corpus"
"$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -print_final_stats=1 \
  "$scratch" "$corpus" 2>&1 | tail -n 30
