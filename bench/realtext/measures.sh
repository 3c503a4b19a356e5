#!/usr/bin/env bash
# What per-file counts cost on real text, and how fast a dispersion plot finds its positions:
#   (a) the manuals set's texts, lengths 2-5: a plain count against the same count with per-file
#       counts, written as by-file rows and as rows with per_million and dp (target at most 1.3x);
#   (b) the library set's texts (about 3,000 files, most of at most 5 pages, from the cache's
#       pdftotext texts of its PDFs): the same, and the positions of a phrase seen 5,000 to
#       20,000 times in every file it occurs in (target with the drawing: under 0.3 s).
#
# usage: bench/realtext/measures.sh [BUILD_DIR]     (default build-rel in the repository)
#
# Run bench/realtext/build-sets.sh first. bench_measures is built in Release in BUILD_DIR and
# runs under nice -n 10; ROUNDS (default 5) rounds, the median of each counts.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=${1:-$repo/build-rel}
rounds=${ROUNDS:-5}
manuals=$cache/sets/manuals/text
library_list=$cache/sets/library/list.tsv

[[ -d $manuals && -f $library_list ]] || {
  say "no manuals or library set: run bench/realtext/build-sets.sh first"
  exit 2
}

build_release "$build" bench_measures
bench=$build/bench/bench_measures

say "Manuals, lengths 2-5"
nice -n 10 "$bench" -l "$short_lengths" -r "$rounds" "$manuals"

# The library lists its PDFs; the cache keeps each one's text beside the same path under text/.
mapfile -t library_texts < <(awk -F'\t' '{ sub(/\/unpacked\//, "/text/", $2); print $2 ".txt" }' \
  "$library_list")
say "Library, lengths 2-5, and a dispersion plot's positions"
nice -n 10 "$bench" -l "$short_lengths" -r "$rounds" --plot "${library_texts[@]}"
