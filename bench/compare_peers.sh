#!/usr/bin/env bash
# Times orvanta-count against two simple counters on one generated text, checks that all three
# print the same rows, and prints wall times, peak memory and their ratios.
#
# usage: bench/compare_peers.sh [WORDS]     (default 5000000 words)
#
# The text and every output are kept in bench/out/. orvanta-count is built in Release into
# build-bench. Peak memory is the maximum resident set size as GNU time reports it; for the awk
# pipeline that is the largest single process of the pipeline, not their sum.
set -euo pipefail

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$bench_dir")
words=${1:-5000000}
out=$bench_dir/out
build=$repo/build-bench
counter=$build/bin/orvanta-count
short_lengths=2,3,4,5
long_lengths=$(seq -s, 2 19)

# shellcheck source=bench/peer_checks.sh
source "$bench_dir/peer_checks.sh"

[[ $words =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [WORDS]" >&2; exit 2; }

ensure_tools() {
  if [[ ! -x /usr/bin/time ]] || ! command -v gawk >/dev/null || ! command -v python3 >/dev/null
  then
    "$repo/scripts/setup.sh"
  fi
}

build_counter() {
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DORVANTA_BUILD_TESTS=OFF >/dev/null
  ninja -C "$build" -j1 orvanta-count >/dev/null
}

make_corpus() {
  corpus=$out/corpus-$words.txt
  if [[ ! -s $corpus ]]; then
    echo "Writing a text of $words words to ${corpus#"$repo"/}"
    python3 "$bench_dir/make_corpus.py" "$words" -o "$corpus.part"
    mv "$corpus.part" "$corpus"
  fi
}

# measure NAME COMMAND...: runs the command once with its output in out/NAME.tsv and keeps
# "seconds kibibytes" in out/NAME.time.
measure() {
  local name=$1
  shift
  echo "Running $name"
  /usr/bin/time -f '%e %M' -o "$out/$name.time" "$@" >"$out/$name.tsv"
}

seconds() { cut -d' ' -f1 "$out/$1.time"; }
kibibytes() { cut -d' ' -f2 "$out/$1.time"; }
print_table() {
  printf '\n%-22s %9s %11s %12s %10s\n' tool lengths "wall s" "peak MiB" rows
  for name in orvanta-2-5 orvanta-2-19 python-2-5 awk-2-5; do
    printf '%-22s %9s %11s %12.1f %10s\n' "${name%-2-*}" "${name#*-}" "$(seconds "$name")" \
      "$(div "$(kibibytes "$name")" 1024)" "$(peer_rows "$name")"
  done
}

print_ratios() {
  local o5 o19 py awk_s o5_mem py_mem o19_mem
  o5=$(seconds orvanta-2-5)
  o19=$(seconds orvanta-2-19)
  py=$(seconds python-2-5)
  awk_s=$(seconds awk-2-5)
  o5_mem=$(kibibytes orvanta-2-5)
  py_mem=$(kibibytes python-2-5)
  o19_mem=$(kibibytes orvanta-2-19)
  echo
  ratio "python / orvanta time (2-5)" "$(div "$py" "$o5")" ">=" 10 10
  ratio "awk / orvanta time (2-5)" "$(div "$awk_s" "$o5")" ">=" 30 30
  ratio "orvanta / python peak memory (2-5)" "$(div "$o5_mem" "$py_mem")" "<=" 0.3333 1/3
  ratio "orvanta 2-19 / orvanta 2-5 time" "$(div "$o19" "$o5")" "<=" 3 3
  ratio "orvanta 2-19 peak memory (GiB)" "$(div "$o19_mem" 1048576)" "<" 1 "1 GiB"
}

main() {
  ensure_tools
  mkdir -p "$out"
  build_counter
  make_corpus
  echo "python3: $(python3 --version 2>&1), gawk: $(gawk --version | head -n 1 | cut -d, -f1)"

  measure orvanta-2-5 "$counter" -l "$short_lengths" "$corpus"
  measure orvanta-2-19 "$counter" -l "$long_lengths" "$corpus"
  measure python-2-5 python3 "$bench_dir/peers/phrase_counter.py" -l "$short_lengths" "$corpus"
  measure awk-2-5 bash "$bench_dir/peers/phrase_count.sh" -l "$short_lengths" "$corpus"

  local status=0
  same_output orvanta-2-5 python-2-5 || status=1
  same_output orvanta-2-5 awk-2-5 || status=1
  long_run_agrees orvanta-2-19 orvanta-2-5 || status=1

  echo
  echo "$words words, $(du -h "$corpus" | cut -f1)B of text"
  print_table
  print_ratios
  [[ $status -eq 0 ]] || echo "FAILED: the counters do not agree" >&2
  return $status
}

main
