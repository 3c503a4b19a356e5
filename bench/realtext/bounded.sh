#!/usr/bin/env bash
# Counting within a memory limit against the plain count, on real text, lengths 2-19: time, peak
# memory and the rows (a checksum of every row in display order, and their number).
#   (a) the big text (at least 100 million words): the plain count, then within 2 GiB;
#       targets: peak under 2.5 GiB, at most twice the plain count's time, the same rows
#   (b) its first 14.2 million words: the plain count, then within 300 MiB; target: peak under
#       440 MiB, the same rows
#   (c) the texts of the library set's 3,000 PDFs of mixed sizes, one file each (the Files
#       column counts them): the plain count, then within 100 MiB; the same rows
#
# usage: bench/realtext/bounded.sh [BUILD_DIR]     (default build-rel in the repository)
#
# Run bench/realtext/build-sets.sh (without --small) first. The counts run one after the other
# under nice; the spill files go to SPILL_DIR (default the cache's results folder, on disk, not
# in memory). Outputs and times are kept in the cache under results/bounded/. Times are those of
# the engine alone (bench_bounded_once): reading the text files, counting, ordering.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=${1:-$repo/build-rel}
counter=$build/bench/bench_bounded_once
out=$cache/results/bounded
spill=${SPILL_DIR:-$out}
sample_words=14200000
sample=$cache/sets/bounded/first-$sample_words-words.txt

[[ -f $cache/sets/bigtext/about.txt ]] || { say "no big text: run bench/realtext/build-sets.sh"; exit 2; }
[[ -f $cache/sets/library/list.tsv ]] || { say "no library set: run bench/realtext/build-sets.sh"; exit 2; }

# The first $sample_words words of the parts, in whole lines.
make_sample() {
  [[ -f $sample ]] && return
  mkdir -p "$(dirname "$sample")"
  awk -v limit="$sample_words" '{ print; n += NF; if (n >= limit) exit }' \
    "$cache"/sets/bigtext/part-*.txt >"$sample.part"
  mv "$sample.part" "$sample"
}

# The converted text of each PDF of the library set, one path a line.
list_library_texts() {
  awk -F'\t' -v text="$cache/text/" '{ path = $2; sub(".*/unpacked/", "", path); print text path ".txt" }' \
    "$cache/sets/library/list.tsv" >"$out/library-texts.txt"
}

# count NAME LIMIT_MIB FILE...: one count (LIMIT_MIB 0: the plain one); its report in NAME.out,
# "wall user system kibibytes" in NAME.time.
count() {
  local name=$1 limit=$2
  shift 2
  local args=(-l "$long_lengths")
  ((limit > 0)) && args+=(--memory-limit "$limit" --spill-dir "$spill")
  say "Running $name"
  nice -n 10 /usr/bin/time -f '%e %U %S %M' -o "$out/$name.time" "$counter" "${args[@]}" "$@" \
    >"$out/$name.out" 2>"$out/$name.err" || { say "$name failed:"; head -n 5 "$out/$name.err" >&2; return 1; }
}

wall() { tail -n 1 "$out/$1.time" | cut -d' ' -f1; }
peak_mib() { tail -n 1 "$out/$1.time" | awk '{ printf "%.0f", $4 / 1024 }'; }
rows() { grep ' rows, checksum ' "$out/$1.out"; }

# compare PLAIN BOUNDED LIMIT_MIB PEAK_TARGET_MIB [TIME_FACTOR]
compare() {
  local plain=$1 bounded=$2 limit=$3 target=$4 factor=${5:-}
  echo "plain:   $(wall "$plain") s, peak $(peak_mib "$plain") MiB, $(rows "$plain")"
  echo "bounded: $(wall "$bounded") s, peak $(peak_mib "$bounded") MiB within $limit MiB, $(rows "$bounded")"
  [[ $(rows "$plain") == "$(rows "$bounded")" ]] && echo "rows   the same               met" ||
    echo "rows   DIFFER                 MISSED"
  awk -v p="$(peak_mib "$bounded")" -v t="$target" \
    'BEGIN { printf "memory %6d MiB  target < %d MiB  %s\n", p, t, p < t ? "met" : "MISSED" }'
  [[ -z $factor ]] || awk -v b="$(wall "$bounded")" -v p="$(wall "$plain")" -v f="$factor" \
    'BEGIN { printf "time   %6.2f x    target <= %s x     %s\n", b / p, f, b <= f * p ? "met" : "MISSED" }'
}

main() {
  build_release "$build" bench_bounded_once
  make_sample
  rm -rf "$out"
  mkdir -p "$out"
  echo "$(cat "$cache/sets/bigtext/about.txt"); $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
  count big-plain 0 "$cache"/sets/bigtext/part-*.txt
  count big-2g 2048 "$cache"/sets/bigtext/part-*.txt
  count sample-plain 0 "$sample"
  count sample-300m 300 "$sample"
  list_library_texts
  count library-plain 0 --files-from "$out/library-texts.txt"
  count library-100m 100 --files-from "$out/library-texts.txt"
  echo "(a) the big text within 2 GiB"
  compare big-plain big-2g 2048 2560 2
  echo "(b) its first $sample_words words within 300 MiB"
  compare sample-plain sample-300m 300 440
  echo "(c) the library's texts within 100 MiB"
  compare library-plain library-100m 100 140
}

main
