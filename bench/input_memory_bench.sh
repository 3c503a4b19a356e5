#!/usr/bin/env bash
# Peak memory of orvanta-count on two 100 MB texts: one of blank lines only (which should cost
# next to nothing) and one of words.
#
# usage: bench/input_memory_bench.sh [MEGABYTES]    (default 100)
#
# Release build in build-bench; the texts are kept in bench/out/. Peak memory is the maximum
# resident set size GNU time reports.
set -euo pipefail

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$bench_dir")
megabytes=${1:-100}
out=$bench_dir/out
build=$repo/build-bench

[[ $megabytes =~ ^[1-9][0-9]*$ ]] || {
  echo "usage: $0 [MEGABYTES]" >&2
  exit 2
}
mkdir -p "$out"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTA_BUILD_TESTS=OFF \
  >/dev/null
ninja -C "$build" orvanta-count >/dev/null

bytes=$((megabytes * 1024 * 1024))
blank=$out/blank-$megabytes.txt
[[ -s $blank ]] || head -c "$bytes" /dev/zero | tr '\0' '\n' >"$blank"
words=$out/words-$megabytes.txt
if [[ ! -s $words ]]; then
  python3 "$bench_dir/make_corpus.py" $((bytes / 6)) -o "$words.part"
  head -c "$bytes" "$words.part" >"$words"
  rm "$words.part"
fi

measure() {
  /usr/bin/time -f '%e %M' -o "$out/input-memory.time" \
    "$build/bin/orvanta-count" -l 4 "$1" >/dev/null
  read -r seconds kib <"$out/input-memory.time"
  printf '%-28s %6s s   peak %5d MiB   (%d words)\n' "$2" "$seconds" $((kib / 1024)) \
    "$(wc -w <"$1")"
}
measure "$blank" "$megabytes MB of blank lines"
measure "$words" "$megabytes MB of words"
