#!/usr/bin/env bash
# Times orvanta-count against the Python Counter and the awk | sort | uniq -c peers on the
# manuals set (real pdftotext output), for lengths 2-5 and 2-19, in one run on the same files;
# checks that all of them print the same rows and prints wall time, CPU time, peak memory and
# the ratios against the targets.
#
# usage: bench/realtext/compare.sh [BUILD_DIR]     (default build-rel in the repository)
#
# Run bench/realtext/build-sets.sh first. orvanta-count is built in Release in BUILD_DIR.
# PEERS_LONG=no leaves out the two peers at lengths 2-19 (the Python Counter needs several GiB
# there). orvanta-count runs RUNS times (default 5) and its median run counts. Outputs and times are kept in the cache under results/compare/. Every command runs
# under nice -n 10, as the machine is shared; CPU time (user + system) is less disturbed by
# other work than wall time. Peak memory is GNU time's maximum resident set size; for the awk
# pipeline that is its largest single process.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source=bench/peer_checks.sh
source "$repo/bench/peer_checks.sh"

build=${1:-$repo/build-rel}
counter=$build/bin/orvanta-count
texts=$cache/sets/manuals/text
out=$cache/results/compare
peers_long=${PEERS_LONG:-yes}
runs=${RUNS:-5}

[[ -d $texts ]] || { say "no manuals set: run bench/realtext/build-sets.sh first"; exit 2; }

# measure NAME COMMAND...: output in out/NAME.tsv, "wall user system kibibytes" in out/NAME.time.
measure() {
  local name=$1
  shift
  say "Running $name"
  nice -n 10 /usr/bin/time -f '%e %U %S %M' -o "$out/$name.time" "$@" >"$out/$name.tsv"
}

# measure_median NAME COMMAND...: as measure, run `runs` times; keeps the run of median wall time.
# For orvanta-count, whose sub-second runs vary more with the machine's other work than the
# peers' runs of several seconds.
measure_median() {
  local name=$1 run
  shift
  for ((run = 1; run <= runs; run++)); do
    measure "$name" "$@"
    cat "$out/$name.time" >>"$out/$name.runs"
  done
  sort -n "$out/$name.runs" | sed -n "$(((runs + 1) / 2))p" >"$out/$name.time"
}

field() { cut -d' ' -f"$2" "$out/$1.time"; }
seconds() { field "$1" 1; }
cpu() { awk '{ print $2 + $3 }' "$out/$1.time"; }
kibibytes() { field "$1" 4; }

main() {
  if [[ ! -x /usr/bin/time ]] || ! command -v gawk >/dev/null; then "$repo/scripts/setup.sh"; fi
  build_release "$build" orvanta-count
  rm -rf "$out"
  mkdir -p "$out"
  local files=("$texts"/*.txt) names=() name status=0
  echo "manuals set: $(cat "$cache/sets/manuals/about.txt")"
  echo "input: ${#files[@]} files, $(cat "${files[@]}" | wc -w) words (wc -w)," \
    "$(human_mb "$(cat "${files[@]}" | wc -c)"); $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "$(python3 --version 2>&1), $(gawk --version | head -n 1 | cut -d, -f1)"

  measure_median orvanta-2-5 "$counter" -l "$short_lengths" "${files[@]}"
  measure python-2-5 python3 "$repo/bench/peers/phrase_counter.py" -l "$short_lengths" "${files[@]}"
  measure awk-2-5 bash "$repo/bench/peers/phrase_count.sh" -l "$short_lengths" "${files[@]}"
  measure_median orvanta-2-19 "$counter" -l "$long_lengths" "${files[@]}"
  names=(orvanta-2-5 python-2-5 awk-2-5 orvanta-2-19)
  if [[ $peers_long == yes ]]; then
    measure python-2-19 python3 "$repo/bench/peers/phrase_counter.py" -l "$long_lengths" \
      "${files[@]}"
    measure awk-2-19 bash "$repo/bench/peers/phrase_count.sh" -l "$long_lengths" "${files[@]}"
    names+=(python-2-19 awk-2-19)
  fi

  same_output orvanta-2-5 python-2-5 || status=1
  same_output orvanta-2-5 awk-2-5 || status=1
  long_run_agrees orvanta-2-19 orvanta-2-5 || status=1
  if [[ $peers_long == yes ]]; then
    same_output orvanta-2-19 python-2-19 || status=1
    same_output orvanta-2-19 awk-2-19 || status=1
  fi

  printf '\n%-10s %8s %9s %9s %10s %10s\n' tool lengths "wall s" "cpu s" "peak MiB" rows
  for name in "${names[@]}"; do
    printf '%-10s %8s %9s %9.2f %10.1f %10s\n' "${name%-2-*}" "${name#*-}" "$(seconds "$name")" \
      "$(cpu "$name")" "$(div "$(kibibytes "$name")" 1024)" "$(peer_rows "$name")"
  done
  echo
  ratio "python / orvanta wall time (2-5)" "$(div "$(seconds python-2-5)" "$(seconds orvanta-2-5)")" ">=" 10 10
  ratio "python / orvanta cpu time (2-5)" "$(div "$(cpu python-2-5)" "$(cpu orvanta-2-5)")" ">=" 10 10
  ratio "orvanta / python peak memory (2-5)" \
    "$(div "$(kibibytes orvanta-2-5)" "$(kibibytes python-2-5)")" "<=" 0.3333 1/3
  ratio "awk / orvanta wall time (2-5)" "$(div "$(seconds awk-2-5)" "$(seconds orvanta-2-5)")" ">=" 30 30
  ratio "orvanta 2-19 / orvanta 2-5 wall time" \
    "$(div "$(seconds orvanta-2-19)" "$(seconds orvanta-2-5)")" "<=" 2 2
  if [[ $peers_long == yes ]]; then
    ratio "python / orvanta wall time (2-19)" \
      "$(div "$(seconds python-2-19)" "$(seconds orvanta-2-19)")" ">=" 10 10
    ratio "awk / orvanta wall time (2-19)" \
      "$(div "$(seconds awk-2-19)" "$(seconds orvanta-2-19)")" ">=" 30 30
  fi
  echo "outputs and times: $out"
  [[ $status -eq 0 ]] || say "FAILED: the counters do not agree"
  return $status
}

main
