#!/usr/bin/env bash
# Times the overlap of documents, every pair of files, on the library set's converted texts:
#   (a) every fifth file of the set: target under 10 s and under 2 GiB
#   (b) the same with every text option on (for comparison; no target)
#   (c) every file of the set: target under 60 s
#
# usage: bench/realtext/overlap.sh [BUILD_DIR]     (default build-rel in the repository)
#
# Run bench/realtext/build-sets.sh first. The texts are the pdftotext conversions the cache keeps
# for the set's PDFs, read as a run reads text files. bench_overlap_once reads and indexes them,
# compares every pair with stretches of 8 words and again with 12 words leaving out those in
# more than 10% of the files, and opens two pairs side by side (bench/overlap_once.cpp). The
# time of a run is its whole wall time, reading included. Each run is held to an address space
# of LIMIT_GIB (default 8); outputs are kept in the cache under results/overlap/.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=${1:-$repo/build-rel}
out=$cache/results/overlap
set_list=$cache/sets/library/list.tsv
limit_gib=${LIMIT_GIB:-8}

[[ -f $set_list ]] || { say "no library set: run bench/realtext/build-sets.sh first"; exit 2; }
[[ $limit_gib =~ ^[1-9][0-9]*$ ]] || { say "LIMIT_GIB must be a whole number"; exit 2; }

# texts EVERY: the converted text of every EVERY-th PDF of the set, from the first, one a line.
texts() {
  awk -F'\t' -v every="$1" -v unpacked="$cache/unpacked/" -v text="$cache/text/" '
    (NR - 1) % every == 0 && index($2, unpacked) == 1 {
      print text substr($2, length(unpacked) + 1) ".txt"
    }' "$set_list"
}

# measure NAME EVERY SECONDS GIB [OPTION]: runs bench_overlap_once on the texts; prints its
# report, the wall time and peak memory, and whether they are under the targets (0: none).
measure() {
  local name=$1 every=$2 target=$3 target_gib=$4 status=0
  shift 4
  texts "$every" >"$out/$name.list"
  local missing
  missing=$(while IFS= read -r path; do [[ -f $path ]] || echo "$path"; done <"$out/$name.list")
  [[ -z $missing ]] || { say "texts missing: $(head -n 3 <<<"$missing")"; return 1; }
  echo
  local words
  words=$(tr '\n' '\0' <"$out/$name.list" | xargs -0 cat | wc -w)
  echo "($name) $(wc -l <"$out/$name.list") texts, $words words"
  (
    ulimit -v $((limit_gib * 1024 * 1024))
    /usr/bin/time -f '%e %U %S %M' -o "$out/$name.time" "$build/bench/bench_overlap_once" "$@" \
      "$out/$name.list" >"$out/$name.txt" 2>"$out/$name.err"
  ) || status=$?
  cat "$out/$name.txt"
  [[ $status -eq 0 ]] || { say "bench_overlap_once failed:"; head -n 5 "$out/$name.err" >&2; }
  tail -n 1 "$out/$name.time" | awk -v target="$target" -v gib="$target_gib" -v st="$status" '{
    printf "whole run: wall %.1f s, cpu %.1f s, peak %.0f MiB\n", $1, $2 + $3, $4 / 1024
    if (target > 0)
      printf "time   %7.1f s    target < %d s     %s\n", $1, target,
        (st == 0 && $1 < target) ? "met" : "MISSED"
    if (gib > 0)
      printf "memory %7.2f GiB  target < %d GiB    %s\n", $4 / 1048576, gib,
        (st == 0 && $4 < gib * 1048576) ? "met" : "MISSED"
  }'
  return $status
}

main() {
  build_release "$build" bench_overlap_once
  rm -rf "$out"
  mkdir -p "$out"
  echo "library set: $(cat "$cache/sets/library/about.txt")"
  echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
  local status=0
  measure a-fifth 5 10 2 || status=1
  measure b-fifth-as-read 5 0 0 --as-read || status=1
  measure c-all 1 60 0 || status=1
  echo
  echo "outputs and times: $out"
  return $status
}

main
