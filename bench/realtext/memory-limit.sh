#!/usr/bin/env bash
# orvanta-count end to end within a memory limit, and orvanta-count-mpi against one orvanta-count,
# on real text and real PDFs, lengths 2-19: time and peak memory (GNU time), and the rows (a
# SHA-256 of the whole output and its number of lines).
#   (a) the big text (100 million words), --memory-limit 2G, then without a limit;
#       targets: peak under 2.5 GiB, at most twice the plain time, the same rows
#   (b) the first 14.2 million words of it, --memory-limit 300M, then without; target: peak
#       under 440 MiB, the same rows
#   (c) the library set's 3,000 PDFs: mpirun -np 2 orvanta-count-mpi, then one orvanta-count;
#       the same rows. Each run converts the PDFs again (no kept texts), as a first run does.
#
# usage: bench/realtext/memory-limit.sh [BUILD_DIR] [PARTS]
#   BUILD_DIR  default build-rel in the repository (built here, Release)
#   PARTS      (a) on the first PARTS part files of the big text only (default all 6)
#
# Run bench/realtext/build-sets.sh and bench/realtext/bounded.sh (it makes the 14.2M-word
# sample) first. The spill files go to SPILL_DIR (default the cache's results folder: on disk).
# Results are kept under results/memory-limit/ in the cache. With MPI, Open MPI's mpirun must be
# on the PATH; as root it needs OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=${1:-$repo/build-rel}
parts=${2:-6}
out=$cache/results/memory-limit
spill=${SPILL_DIR:-$out}
sample=$cache/sets/bounded/first-14200000-words.txt

# run NAME COMMAND...: one run under GNU time; "wall kibibytes" in NAME.time, the rows' digest
# and line count in NAME.rows.
run() {
  local name=$1
  shift
  say "Running $name"
  nice -n 10 /usr/bin/time -f '%e %M' -o "$out/$name.time" "$@" >"$out/$name.tsv" \
    2>"$out/$name.err" || say "$name: exit $? (see $out/$name.err)"
  echo "$(sha256sum <"$out/$name.tsv" | cut -c1-16) $(wc -l <"$out/$name.tsv") lines" >"$out/$name.rows"
  rm -f "$out/$name.tsv"
}

report() {
  local name=$1
  awk -v n="$name" -v rows="$(cat "$out/$name.rows")" \
    '{ w = $1; m = $2 } END { printf "%-14s %8.1f s  peak %6.0f MiB  rows %s\n", n, w, m / 1024, rows }' \
    "$out/$name.time"
}

main() {
  build_release "$build" orvanta-count orvanta-count-mpi
  local count=$build/bin/orvanta-count
  rm -rf "$out"
  mkdir -p "$out"
  echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) (a shared machine: times are noisy)"
  local big=("$cache"/sets/bigtext/part-*.txt)
  big=("${big[@]:0:$parts}")
  run big-2g "$count" -q -l "$long_lengths" --memory-limit 2G --spill-dir "$spill" "${big[@]}"
  run big-plain "$count" -q -l "$long_lengths" "${big[@]}"
  run sample-300m "$count" -q -l "$long_lengths" --memory-limit 300M --spill-dir "$spill" "$sample"
  run sample-plain "$count" -q -l "$long_lengths" "$sample"
  local pdfs=$cache/sets/library/pdf
  run library-mpi2 mpirun --quiet -np 2 "$build/bin/orvanta-count-mpi" -q -l "$long_lengths" --files "$pdfs"
  run library-one "$count" -q -l "$long_lengths" --files "$pdfs"
  for name in big-2g big-plain sample-300m sample-plain library-mpi2 library-one; do
    report "$name"
  done
}

main
