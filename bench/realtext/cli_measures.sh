#!/usr/bin/env bash
# What the measures cost end to end: orvanta-count over the manuals set's texts, lengths 2-5, as a
# plain count, with --dispersion and with --by-file (target: at most 1.3x the plain count). Each
# is run ROUNDS times (default 3) under nice -n 10, written to /dev/null; the median counts.
#
# usage: bench/realtext/cli_measures.sh [ORVANTA_COUNT]   (default build/bin/orvanta-count)
#
# Run bench/realtext/build-sets.sh first.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

program=${1:-$repo/build/bin/orvanta-count}
rounds=${ROUNDS:-3}
texts=("$cache"/sets/manuals/text/*.txt)

median_seconds() {
  local times=()
  for ((round = 0; round < rounds; ++round)); do
    local start end
    start=$(date +%s.%N)
    nice -n 10 "$program" -q -l 2-5 "$@" "${texts[@]}" >/dev/null
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc)")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((rounds + 1) / 2))p"
}

plain=$(median_seconds)
say "${#texts[@]} texts, lengths 2-5, median of $rounds rounds"
printf 'plain count   %6.2f s\n' "$plain"
for option in --dispersion --by-file; do
  seconds=$(median_seconds "$option")
  printf '%-13s %6.2f s  %.2fx\n' "$option" "$seconds" "$(echo "$seconds / $plain" | bc -l)"
done
