#!/usr/bin/env bash
# Drawing the dispersion plot of a phrase seen 10,000 times over the library set's 3,000 texts of
# mixed sizes (target: under 0.3 s); see bench/dispersion_plot_bench.cpp.
#
# usage: bench/realtext/dispersion_plot.sh [BENCH]   (default build/bench/bench_dispersion_plot)
#
# Run bench/realtext/build-sets.sh first.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

program=${1:-$repo/build/bench/bench_dispersion_plot}
[[ -f $cache/sets/library/list.tsv ]] || { say "no library set: run bench/realtext/build-sets.sh"; exit 2; }
list=$(mktemp)
trap 'rm -f "$list"' EXIT
awk -F'\t' -v text="$cache/text/" '{ path = $2; sub(".*/unpacked/", "", path); print text path ".txt" }' \
  "$cache/sets/library/list.tsv" >"$list"
nice -n 10 "$program" --files-from "$list"
