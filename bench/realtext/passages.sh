#!/usr/bin/env bash
# Times orvanta-count --passages 8 over WORDS (default 14 million) words of the big text against
# the targets: under 30 s and under 4 GiB.
#
# usage: bench/realtext/passages.sh [BUILD_DIR]     (default build-rel in the repository)
#
# Run bench/realtext/build-sets.sh (without --small) first. The first WORDS words of the big
# text, in whole lines, are written once to the cache under sets/passages/. The run is held to
# an address space of LIMIT_GIB (default 8). Output and times are kept in the cache under
# results/passages/.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=${1:-$repo/build-rel}
counter=$build/bin/orvanta-count
out=$cache/results/passages
words=${WORDS:-14000000}
limit_gib=${LIMIT_GIB:-8}
sample=$cache/sets/passages/first-$words-words.txt

[[ -f $cache/sets/bigtext/about.txt ]] || { say "no big text: run bench/realtext/build-sets.sh"; exit 2; }
[[ $words =~ ^[1-9][0-9]*$ ]] || { say "WORDS must be a whole number"; exit 2; }
[[ $limit_gib =~ ^[1-9][0-9]*$ ]] || { say "LIMIT_GIB must be a whole number"; exit 2; }

# The first $words words of the parts, in whole lines.
make_sample() {
  [[ -f $sample ]] && return
  mkdir -p "$(dirname "$sample")"
  awk -v limit="$words" '{ print; n += NF; if (n >= limit) exit }' \
    "$cache"/sets/bigtext/part-*.txt >"$sample.part"
  mv "$sample.part" "$sample"
}

main() {
  build_release "$build" orvanta-count
  make_sample
  rm -rf "$out"
  mkdir -p "$out"
  echo "$(wc -w <"$sample") words in $(basename "$sample"); $(nproc) cores," \
    "load $(cut -d' ' -f1-3 /proc/loadavg)"
  local status=0
  (
    ulimit -v $((limit_gib * 1024 * 1024))
    /usr/bin/time -v -o "$out/passages.time" "$counter" --passages 8 "$sample" \
      >"$out/passages.tsv" 2>"$out/passages.err"
  ) || status=$?
  local wall kib
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0
    for (i = 1; i <= n; ++i) s = s * 60 + t[i]; print s }' "$out/passages.time")
  kib=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$out/passages.time")
  echo "orvanta-count --passages 8: exit status $status, wall $wall s," \
    "cpu $(awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$out/passages.time") s," \
    "peak $((kib / 1024)) MiB, $(($(wc -l <"$out/passages.tsv") - 1)) passages"
  awk -v w="$wall" -v k="$kib" -v st="$status" 'BEGIN {
    printf "time   %7.1f s    target < 30 s     %s\n", w, (st == 0 && w < 30) ? "met" : "MISSED"
    printf "memory %7.2f GiB  target < 4 GiB    %s\n", k / 1048576, (st == 0 && k < 4 * 1048576) ? "met" : "MISSED"
  }'
  [[ $status -eq 0 ]] || { say "orvanta-count failed:"; head -n 5 "$out/passages.err" >&2; }
  return $status
}

main
