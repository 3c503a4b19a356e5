# shellcheck shell=bash
# shellcheck disable=SC2154 # $out is set by the script that sources this file
# Checks shared by the benchmarks that compare orvanta-count with the peers in bench/peers/:
# whether two outputs agree, and ratios against targets.
#
# usage: source bench/peer_checks.sh, with $out naming the folder that holds each run's output
# as NAME.tsv.

peer_rows() { echo $(($(wc -l <"$out/$1.tsv") - 1)); }

# same_output NAME OTHER: true when both outputs are byte for byte the same; shows the start of
# the difference otherwise.
same_output() {
  if cmp -s "$out/$1.tsv" "$out/$2.tsv"; then
    echo "same output: $1 and $2 ($(peer_rows "$1") rows)"
    return 0
  fi
  echo "OUTPUTS DIFFER: $1 ($(peer_rows "$1") rows) and $2 ($(peer_rows "$2") rows)" >&2
  diff "$out/$1.tsv" "$out/$2.tsv" | head -n 20 >&2
  return 1
}

# long_run_agrees LONG SHORT: the rows of 2 to 5 words from the run over lengths 2-19 must be
# exactly the rows of the run over lengths 2-5.
long_run_agrees() {
  if LC_ALL=C awk -F'\t' 'NR == 1 || $2 <= 5' "$out/$1.tsv" | cmp -s - "$out/$2.tsv"; then
    echo "same output: $1 limited to 2-5 words and $2"
    return 0
  fi
  echo "OUTPUTS DIFFER: $1 limited to 2-5 words and $2" >&2
  return 1
}

# ratio LABEL VALUE COMPARISON TARGET TARGET_TEXT: one line with the figure and whether it meets
# the target.
ratio() {
  local verdict
  verdict=$(awk -v v="$2" -v t="$4" -v op="$3" 'BEGIN {
    ok = (op == ">=") ? v >= t : (op == "<=") ? v <= t : v < t
    print ok ? "met" : "MISSED"
  }')
  printf '%-44s %10.3f   target %s %-8s %s\n' "$1" "$2" "$3" "$5" "$verdict"
}

# GNU time prints seconds with two decimals, so a run under 5 ms reads as 0.00.
div() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f\n", a / (b == 0 ? 0.005 : b) }'; }
