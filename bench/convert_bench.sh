#!/usr/bin/env bash
# Times counting phrases over a folder of generated PDFs against converting them with plain
# pdftotext one file after another, and times the admission check of one new PDF next to 200
# remembered ones.
#
# usage: bench/convert_bench.sh [PDFS]     (default 60 PDFs)
#
# Each round times (a) plain pdftotext over every PDF, one after the other, (b) orvanta-count
# with its default number of converters, (c) orvanta-count -j 1 and (d) orvanta-count over the
# texts of (a), which is the counting alone. All orvanta-count runs must print the same rows.
# Then bench_admission runs its own rounds. Min and median of ROUNDS rounds (default 3) are shown.
# Before each run the script waits up to QUIET_WAIT seconds (default 20) for an idle machine,
# and it shows how much CPU time other processes took during the runs.
#
# The PDFs (20 to 80 dense two-column pages each, text from make_corpus.py, typeset by groff's
# own PDF writer or by groff and Ghostscript, in five font families) are kept in bench/out/ and
# reused. The programs are built in Release into build-convbench. TMPDIR points into bench/out/
# so that the converters of every run write to the same disk.
set -euo pipefail

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$bench_dir")
count=${1:-60}
rounds=${ROUNDS:-3}
quiet_wait=${QUIET_WAIT:-20}
out=$bench_dir/out
pdfs=$out/pdfs-$count
results=$out/convert
build=$repo/build-convbench
counter=$build/bin/orvanta-count
admission=$build/bench/bench_admission
lengths=2,3,4,5
# About what groff fits on one page in the layout below.
words_per_page=1400
families=(T P N H BM)

[[ $count =~ ^[1-9][0-9]{0,2}$ ]] || { echo "usage: $0 [PDFS]  (1 to 999)" >&2; exit 2; }
[[ $rounds =~ ^[1-9][0-9]?$ ]] || { echo "ROUNDS must be 1 to 99" >&2; exit 2; }
[[ $quiet_wait =~ ^[0-9]+$ ]] || { echo "QUIET_WAIT must be a number of seconds" >&2; exit 2; }

ensure_tools() {
  local tool
  for tool in /usr/bin/time groff gs pdftotext pdfinfo python3; do
    command -v "$tool" >/dev/null || { "$repo/scripts/setup.sh"; return; }
  done
}

build_programs() {
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DORVANTA_BUILD_TESTS=OFF >/dev/null
  ninja -C "$build" -j1 orvanta-count bench_admission >/dev/null
}

# Spread over 20 to 80 without a pattern that follows the file order.
pages_of() { echo $((20 + $1 * 37 % 61)); }

# split_corpus CORPUS DIR TARGETS...: cuts the text at page starts into DIR/doc-NNN.ms, each
# holding at least its target of words, as groff -ms input.
split_corpus() {
  local corpus=$1 dir=$2
  shift 2
  awk -v targets="$*" -v dir="$dir" '
    function open_next() {
      if (out) close(out)
      out = sprintf("%s/doc-%03d.ms", dir, ++doc)
      words = 0
      # No hyphenation: words broken at line ends would split phrases.
      print ".nr PS 9p\n.nr VS 11p\n.nr HY 0\n.nr PO 0.7i\n.nr LL 6.9i\n.nh\n.2C\n.LP" > out
    }
    BEGIN { n = split(targets, want, " "); open_next() }
    { sub(/\r$/, ""); gsub(/\t/, " "); gsub(/\\/, "\\e") }
    /^\f/ && words >= want[doc] { if (doc == n) exit; open_next() }
    /^\f/ { print ".SH\n\\&" substr($0, 2) "\n.LP" > out; words += NF; next }
    /^ *$/ { print ".PP" > out; next }
    { print "\\&" $0 > out; words += NF }
  ' "$corpus"
}

# typeset_pdf MS_FILE INDEX: half the files through gropdf, half through PostScript and Ghostscript.
typeset_pdf() {
  local ms=$1 index=$2 pdf=${1%.ms}.pdf
  local family=${families[index % ${#families[@]}]}
  if ((index % 2 == 0)); then
    groff -K utf-8 -ms -Tpdf -f"$family" -dpaper=a4 -P-pa4 "$ms" >"$pdf"
  else
    groff -K utf-8 -ms -Tps -f"$family" -dpaper=a4 -P-pa4 "$ms" >"${ms%.ms}.ps"
    gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sPAPERSIZE=a4 -o "$pdf" "${ms%.ms}.ps"
  fi
}

typeset_all() {
  local work=$1 index=0 running=0 ms
  for ms in "$work"/doc-*.ms; do
    typeset_pdf "$ms" "$index" &
    index=$((index + 1)) running=$((running + 1))
    if ((running >= $(nproc))); then
      wait -n
      running=$((running - 1))
    fi
  done
  for (( ; running > 0; running--)); do wait -n; done
}

make_pdfs() {
  [[ -f $pdfs/.complete ]] && return
  local work=$pdfs.work targets=() total=0 i
  echo "Making $count PDFs in ${pdfs#"$repo"/}"
  rm -rf "$work" "$pdfs"
  mkdir -p "$work" "$pdfs"
  for ((i = 0; i < count; i++)); do
    targets+=($(($(pages_of "$i") * words_per_page)))
    total=$((total + targets[i]))
  done
  python3 "$bench_dir/make_corpus.py" $((total + count * 600)) -o "$work/corpus.txt"
  split_corpus "$work/corpus.txt" "$work" "${targets[@]}"
  typeset_all "$work"
  mv "$work"/*.pdf "$pdfs"/
  rm -rf "$work"
  touch "$pdfs/.complete"
}

describe_pdfs() {
  local pages
  pages=$(for f in "$pdfs"/*.pdf; do pdfinfo "$f" | awk '/^Pages:/ { print $2 }'; done |
    awk '{ s += $1; if (min == "" || $1 < min) min = $1; if ($1 > max) max = $1 }
         END { printf "%d pages (%d to %d a file)", s, min, max }')
  echo "$count PDFs, $pages, $(du -sh "$pdfs" | cut -f1)B; $(nproc) cores;" \
    "$(pdftotext -v 2>&1 | head -n 1)"
}

# busy_seconds: CPU seconds the whole machine has been busy since it started.
busy_seconds() {
  awk -v hz="$(getconf CLK_TCK)" '/^cpu / { print ($2 + $3 + $4 + $7 + $8 + $9) / hz }' /proc/stat
}

# Other people's builds share the cores: waits up to quiet_wait seconds for one second in which
# the machine uses under a fifth of a core.
wait_for_quiet() {
  local waited before
  for ((waited = 0; waited < quiet_wait; waited++)); do
    before=$(busy_seconds)
    sleep 1
    awk -v a="$before" -v b="$(busy_seconds)" 'BEGIN { exit !(b - a < 0.2) }' && return
  done
  return 0
}

# measure NAME COMMAND...: runs the command once with its output in results/NAME.tsv and
# appends "wall user system others" to results/NAME.times, where others is the CPU time that
# other processes used meanwhile.
measure() {
  local name=$1 before
  shift
  wait_for_quiet
  before=$(busy_seconds)
  /usr/bin/time -f '%e %U %S' -o "$results/$name.time" "$@" >"$results/$name.tsv"
  awk -v before="$before" -v after="$(busy_seconds)" \
    '{ printf "%s %s %s %.2f\n", $1, $2, $3, after - before - $2 - $3 }' \
    "$results/$name.time" >>"$results/$name.times"
}

run_round() {
  echo "Round $1 of $rounds"
  # shellcheck disable=SC2016 # expanded by the inner shell
  measure a-plain bash -c \
    'for f in "$1"/*.pdf; do t=${f##*/}; pdftotext "$f" "$2/${t%.pdf}.txt"; done' \
    _ "$pdfs" "$results/plain"
  measure b-default "$counter" -l "$lengths" "$pdfs"
  measure c-one "$counter" -l "$lengths" -j 1 "$pdfs"
  measure d-count-only "$counter" -l "$lengths" "$results"/plain/*.txt
}

# figures NAME wall|cpu|others: one figure a round, from results/NAME.times.
figures() {
  local name=$1 kind=$2
  awk -v kind="$kind" '{ print kind == "wall" ? $1 : kind == "cpu" ? $2 + $3 : $4 }' \
    "$results/$name.times"
}

# min and median of numbers on standard input.
min_median() {
  sort -g | awk '{ v[NR] = $1 } END {
    printf "%.2f %.2f\n", v[1], (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

median() { min_median | cut -d' ' -f2; }

# same_output NAME OTHER: true when both outputs are byte for byte the same.
same_output() {
  if cmp -s "$results/$1.tsv" "$results/$2.tsv"; then
    echo "same output: $1 and $2 ($(($(wc -l <"$results/$1.tsv") - 1)) rows)"
    return 0
  fi
  echo "OUTPUTS DIFFER: $1 and $2" >&2
  diff "$results/$1.tsv" "$results/$2.tsv" | head -n 20 >&2
  return 1
}

print_table() {
  local name min mid
  printf '\n%-34s %7s %9s %9s %9s   %s\n' "" "min s" "median s" "cpu s" "others s" "each round"
  for name in a-plain b-default c-one d-count-only; do
    read -r min mid < <(figures "$name" wall | min_median)
    printf '%-34s %7s %9s %9s %9s   %s\n' "$(label "$name")" "$min" "$mid" \
      "$(figures "$name" cpu | median)" "$(figures "$name" others | median)" \
      "$(figures "$name" wall | paste -sd' ')"
  done
  echo "(cpu s: user + system of the command and its children; others s: CPU time other"
  echo " processes used meanwhile; both medians)"
}

label() {
  case $1 in
    a-plain) echo "(a) pdftotext one by one" ;;
    b-default) echo "(b) orvanta-count, default -j ($(nproc))" ;;
    c-one) echo "(c) orvanta-count -j 1" ;;
    d-count-only) echo "(d) orvanta-count on (a)'s texts" ;;
  esac
}

print_ratio() {
  local a_min a_med b_min b_med
  read -r a_min a_med < <(figures a-plain wall | min_median)
  read -r b_min b_med < <(figures b-default wall | min_median)
  awk -v a="$a_med" -v b="$b_med" -v am="$a_min" -v bm="$b_min" 'BEGIN {
    printf "\n%-34s %7.3f %9.3f   target <= 0.7 (medians)  %s\n", "(b) / (a)", bm / am, b / a,
      (b / a <= 0.7) ? "met" : "MISSED" }'
}

run_admission() {
  echo
  echo "Admission check (bench_admission ${pdfs#"$repo"/} $rounds)"
  rm -rf "$results/tmp-admission"
  mkdir -p "$results/tmp-admission"
  TMPDIR=$results/tmp-admission "$admission" "$pdfs" "$rounds"
}

main() {
  ensure_tools
  build_programs
  make_pdfs
  describe_pdfs
  rm -rf "$results"
  mkdir -p "$results/plain" "$results/tmp"
  export TMPDIR=$results/tmp
  local round status=0
  for ((round = 1; round <= rounds; round++)); do run_round "$round"; done
  same_output b-default c-one || status=1
  same_output b-default d-count-only || status=1
  print_table
  print_ratio
  run_admission || status=1
  [[ $status -eq 0 ]] || echo "FAILED: see above" >&2
  return $status
}

main
