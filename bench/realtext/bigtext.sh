#!/usr/bin/env bash
# Times orvanta-count counting lengths 2-19 over the big text (at least 100 million words of
# distinct real text) against the targets: under 5 minutes and under 8 GiB.
#
# usage: bench/realtext/bigtext.sh [BUILD_DIR]     (default build-rel in the repository)
#
# Run bench/realtext/build-sets.sh (without --small) first. The run is held to an address space
# of LIMIT_GIB (default 16) so that a counter that needs far more memory fails instead of
# pushing the shared machine into swapping or the OOM killer. Output and times are kept in the
# cache under results/bigtext/.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=${1:-$repo/build-rel}
counter=$build/bin/orvanta-count
out=$cache/results/bigtext
limit_gib=${LIMIT_GIB:-16}

[[ -f $cache/sets/bigtext/about.txt ]] || { say "no big text: run bench/realtext/build-sets.sh"; exit 2; }
[[ $limit_gib =~ ^[1-9][0-9]*$ ]] || { say "LIMIT_GIB must be a whole number"; exit 2; }

main() {
  build_release "$build" orvanta-count
  rm -rf "$out"
  mkdir -p "$out"
  echo "$(cat "$cache/sets/bigtext/about.txt"); $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
  local status=0
  (
    ulimit -v $((limit_gib * 1024 * 1024))
    nice -n 10 /usr/bin/time -f '%e %U %S %M' -o "$out/count.time" "$counter" -l "$long_lengths" \
      "$cache"/sets/bigtext/part-*.txt >"$out/count.tsv" 2>"$out/count.err"
  ) || status=$?
  local wall user system kib
  read -r wall user system kib < <(tail -n 1 "$out/count.time")
  echo "orvanta-count -l 2..19: exit status $status, wall $wall s, cpu $(awk -v u="$user" \
    -v s="$system" 'BEGIN { print u + s }') s, peak $((kib / 1024)) MiB," \
    "$(($(wc -l <"$out/count.tsv") - 1)) rows"
  awk -v w="$wall" -v k="$kib" -v st="$status" 'BEGIN {
    printf "time   %7.1f s    target < 300 s    %s\n", w, (st == 0 && w < 300) ? "met" : "MISSED"
    printf "memory %7.2f GiB  target < 8 GiB    %s\n", k / 1048576, (st == 0 && k < 8 * 1048576) ? "met" : "MISSED"
  }'
  [[ $status -eq 0 ]] || { say "orvanta-count failed:"; head -n 5 "$out/count.err" >&2; }
  return $status
}

main
