#!/usr/bin/env bash
# End to end on the library set (about 3,000 real PDFs, most of at most 5 pages): pdftotext one
# file after the other against orvanta-count counting lengths 2-5 over the same files.
#
# usage: [SET=library|manuals] [EVERY=N] [TARGET=R] bench/realtext/library.sh [BUILD_DIR]
#        (default build-rel in the repository)
#
# SET picks the set (the manuals: 62 real manuals of mixed sizes, one of over 1,000 pages), EVERY
# takes every Nth file of it (EVERY=5 on the library: about 600 files), TARGET is the ratio (b) /
# (a) to meet (default 0.5).
# Run bench/realtext/build-sets.sh first. Times, in this order:
#   (a) pdftotext one by one, sequential (convert_pool.py): wall and CPU time, and a
#       least-squares line of each pdftotext's CPU time over its pages, whose intercept is the
#       cost of one file apart from its pages (mostly starting the process)
#   (b) orvanta-count -l 2,3,4,5 on the folder with its default converters (one per core)
#   (c) the same with -j 1
#   (d) orvanta-count on the texts (a) wrote: counting alone
#   (e) pdftotext with one process per core (convert_pool.py), for comparison with (b)
# (b), (c) and (d) must print the same rows. Target: (b) at most TARGET of (a). Everything runs
# under nice -n 10; results are kept in the cache under results/library/.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=${1:-$repo/build-rel}
counter=$build/bin/orvanta-count
set=${SET:-library}
every=${EVERY:-1}
target=${TARGET:-0.5}
pdfs=$cache/sets/$set/pdf
out=$cache/results/$set-end-to-end

[[ -d $pdfs ]] || { say "no $set set: run bench/realtext/build-sets.sh first"; exit 2; }

# measure NAME COMMAND...: output in out/NAME.tsv, messages in out/NAME.err, "wall user system
# kibibytes" in out/NAME.time (its last line: GNU time writes a line before it when the command
# fails) and the exit status in out/NAME.status.
measure() {
  local name=$1 status=0
  shift
  say "Running $name"
  nice -n 10 /usr/bin/time -f '%e %U %S %M' -o "$out/$name.time" "$@" >"$out/$name.tsv" \
    2>"$out/$name.err" || status=$?
  echo "$status" >"$out/$name.status"
}

seconds() { tail -n 1 "$out/$1.time" | cut -d' ' -f1; }
cpu() { tail -n 1 "$out/$1.time" | awk '{ print $2 + $3 }'; }
exit_status() { cat "$out/$1.status"; }

same_output() {
  if cmp -s "$out/$1.tsv" "$out/$2.tsv"; then
    say "same output: $1 and $2 ($(($(wc -l <"$out/$1.tsv") - 1)) rows)"
    return 0
  fi
  say "OUTPUTS DIFFER: $1 and $2"
  diff "$out/$1.tsv" "$out/$2.tsv" | head -n 20 >&2
  return 1
}

# Per-file CPU seconds of pdftotext against pages (form feeds in the text), from the sequential
# run. CPU time, not wall time: other work on a shared machine stretches wall time.
per_file_line() {
  gawk -F'\t' -v dir="$out/plain" '
    $2 == 0 {
      # pdftotext ends every page with a form feed.
      file = sprintf("%s/%05d.txt", dir, $1)
      pages_here = 0
      RS = "\f"
      while ((getline page < file) > 0) pages_here++
      RS = "\n"
      close(file)
      n++; x += pages_here; y += $4; xx += pages_here * pages_here; xy += pages_here * $4
      t[n] = $4; w[n] = $3
    }
    END {
      slope = (n * xy - x * y) / (n * xx - x * x)
      asort(t)
      asort(w)
      printf "%d files, %d pages; per file: median %.1f ms cpu, %.1f ms wall\n", n, x,
        1000 * t[int((n + 1) / 2)], 1000 * w[int((n + 1) / 2)]
      printf "least squares of cpu time: %.1f ms a file + %.2f ms a page\n",
        1000 * (y - slope * x) / n, 1000 * slope
    }' "$out/plain/status.tsv"
}

# row LABEL NAME: wall and CPU seconds of one measured command.
row() { printf '%-46s %9s %9.2f\n' "$1" "$(seconds "$2")" "$(cpu "$2")"; }

main() {
  if [[ ! -x /usr/bin/time ]] || ! command -v pdftotext >/dev/null; then "$repo/scripts/setup.sh"; fi
  build_release "$build" orvanta-count
  rm -rf "$out"
  mkdir -p "$out/tmp"
  # The converters of orvanta-count write to the same disk as the others.
  export TMPDIR=$out/tmp
  local list=$out/pdfs.txt status=0
  printf '%s\n' "$pdfs"/*.pdf | awk -v every="$every" '(NR - 1) % every == 0' >"$list"
  local files
  mapfile -t files <"$list"
  echo "$set set: $(cat "$cache/sets/$set/about.txt"); ${#files[@]} files taken (every $every)"
  echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); $(pdftotext -v 2>&1 | head -n 1)"

  measure a-plain python3 "$realtext_dir/convert_pool.py" pdftotext 1 "$list" "$out/plain"
  # orvanta-count exits 1 when it names a file whose text it finds unreadable (a few real PDFs
  # here): the rows of the others are still printed and compared.
  measure b-default "$counter" -l "$short_lengths" "${files[@]}"
  measure c-one "$counter" -l "$short_lengths" -j 1 "${files[@]}"
  measure d-count-only "$counter" -l "$short_lengths" "$out"/plain/*.txt
  measure e-parallel python3 "$realtext_dir/convert_pool.py" pdftotext "$(nproc)" "$list" \
    "$out/parallel"
  local name
  for name in a-plain e-parallel; do
    [[ $(exit_status "$name") -eq 0 ]] || { say "$name failed"; status=1; }
  done
  for name in b-default c-one d-count-only; do
    (($(exit_status "$name") <= 1)) || { say "$name failed"; status=1; }
  done
  echo "orvanta-count exit status $(exit_status b-default); files it named:" \
    "$(grep -c '^orvanta-count: ' "$out/b-default.err" || true) (in b-default.err)"
  same_output b-default c-one || status=1
  same_output b-default d-count-only || status=1

  echo
  echo "(a) pdftotext one by one: $(per_file_line)"
  printf '%-46s %9s %9s\n' "" "wall s" "cpu s"
  row "(a) pdftotext one by one, sequential" a-plain
  row "(b) orvanta-count -l $short_lengths, -j $(nproc)" b-default
  row "(c) orvanta-count -j 1" c-one
  row "(d) orvanta-count on (a)'s texts" d-count-only
  row "(e) pdftotext, $(nproc) at once" e-parallel
  echo "(cpu s: user + system of the command and its children; for (a) and (e) that includes the"
  echo " small Python driver that starts the pdftotext processes)"
  awk -v a="$(seconds a-plain)" -v b="$(seconds b-default)" -v e="$(seconds e-parallel)" \
    -v ac="$(cpu a-plain)" -v bc="$(cpu b-default)" -v target="$target" 'BEGIN {
    printf "\n(b) / (a) wall %.3f   target <= %s   %s\n", b / a, target, (b / a <= target) ? "met" : "MISSED"
    printf "(b) / (a) cpu  %.3f\n(b) / (e) wall %.3f\n", bc / ac, b / e }'
  echo "outputs and times: $out"
  [[ $status -eq 0 ]] || say "FAILED: see above"
  return $status
}

main
