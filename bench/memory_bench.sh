#!/usr/bin/env bash
# Peak memory of the two largest things a user can ask for: counting lengths 2 to 19 over a
# 20-million-word text with orvanta-count, and opening a results list of 5 million rows.
#
# usage: bench/memory_bench.sh [WORDS [ROWS]]    (defaults 20000000 and 5000000)
#
# Release build in build-bench; the generated text and outputs are kept in bench/out/. Peak
# memory is the maximum resident set size GNU time reports.
set -euo pipefail

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$bench_dir")
words=${1:-20000000}
rows=${2:-5000000}
out=$bench_dir/out
build=$repo/build-bench
limit_kib=$((2 * 1024 * 1024))

[[ $words =~ ^[1-9][0-9]*$ && $rows =~ ^[1-9][0-9]*$ ]] || {
  echo "usage: $0 [WORDS [ROWS]]" >&2
  exit 2
}
[[ -x /usr/bin/time ]] && command -v python3 >/dev/null || "$repo/scripts/setup.sh"
mkdir -p "$out"

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTA_BUILD_TESTS=OFF \
  >/dev/null
ninja -C "$build" orvanta-count bench_results_view >/dev/null

corpus=$out/corpus-$words.txt
if [[ ! -s $corpus ]]; then
  echo "Writing a text of $words words to ${corpus#"$repo"/}"
  python3 "$bench_dir/make_corpus.py" "$words" -o "$corpus.part"
  mv "$corpus.part" "$corpus"
fi

verdict() { (($1 < limit_kib)) && echo "met" || echo "MISSED"; }

echo "Counting lengths 2-19 over $words words"
/usr/bin/time -f '%e %M' -o "$out/memory-count.time" \
  "$build/bin/orvanta-count" -l "$(seq -s, 2 19)" "$corpus" >"$out/memory-count.tsv"
read -r count_seconds count_kib <"$out/memory-count.time"
printf 'count: %s s, %d rows, peak %d MiB (target < 2048 MiB: %s)\n' "$count_seconds" \
  $(($(wc -l <"$out/memory-count.tsv") - 1)) $((count_kib / 1024)) "$(verdict "$count_kib")"

echo "Opening a results list of $rows rows"
QT_QPA_PLATFORM=offscreen /usr/bin/time -f '%e %M' -o "$out/memory-view.time" \
  "$build/bench/bench_results_view" 1 "$rows" | tee "$out/memory-view.txt"
read -r view_seconds view_kib <"$out/memory-view.time"
printf 'results list: %s s in all, peak %d MiB (target < 2048 MiB: %s)\n' "$view_seconds" \
  $((view_kib / 1024)) "$(verdict "$view_kib")"
