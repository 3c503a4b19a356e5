#!/usr/bin/env bash
# orvanta-count-mpi over three processes prints, byte for byte, what orvanta-count prints: every
# format and row choice, the --output file, the failed files and the exit code; phrases are
# planted so that some repeat only across files read by different processes. A process that
# cannot go on ends the run naming its host.
#
# usage: mpi-matches-count.sh BIN_DIR FIXTURE_DIR [MPIRUN]
set -uo pipefail

bin=$1
fixtures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# mpirun refuses root without these; inside containers the shared-memory transport is enough.
export OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 OMPI_MCA_btl=self,vader
# Open MPI's own start-up allocations are never freed; in a sanitized build they are not ours to
# report (leaks of our own are caught by the other tests).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
mpi=("${3:-mpirun}" --quiet --oversubscribe -np 3 "$bin/orvanta-count-mpi")

# Six files of different sizes, each a phrase once that another file also holds once.
for n in 1 2 3 4 5 6; do
  {
    for ((line = 0; line < n * 7; line++)); do
      echo "Line $((line % 5)) of part $n, shared words $((line % 3)) here."
    done
    echo "only across files number $((n % 3))"
    echo "The $n-th tail, ONLY across files"
  } >"$work/part$n.txt"
done
inputs=("$work"/part*.txt "$fixtures/text-a.pdf" "$fixtures/text-b.pdf" "$fixtures/damaged.pdf")

# compare NAME OPTION...: both programs on the inputs, their output, errors and exit codes.
compare() {
  local name=$1
  shift
  "$bin/orvanta-count" "$@" "${inputs[@]}" >"$work/plain.out" 2>"$work/plain.err"
  echo "exit $?" >>"$work/plain.err"
  "${mpi[@]}" "$@" "${inputs[@]}" >"$work/mpi.out" 2>"$work/mpi.err"
  echo "exit $?" >>"$work/mpi.err"
  if ! cmp -s "$work/plain.out" "$work/mpi.out" || ! cmp -s "$work/plain.err" "$work/mpi.err"; then
    echo "FAILED: $name"
    diff "$work/plain.out" "$work/mpi.out" | head -n 20
    diff "$work/plain.err" "$work/mpi.err" | head -n 20
    failed=1
  elif [[ $(wc -l <"$work/plain.out") -lt 5 ]]; then
    echo "FAILED: $name gives too few rows to tell"
    failed=1
  fi
}

compare "tsv, lengths 2-19" -l 2-19 --files
compare "csv by files" -l 2-6 --format csv --files --sort files --reverse
compare "json in two files" -l 3 --format json --min-files 2 --files
compare "jsonl, top rows by phrase" -l 1-4 --format jsonl --sort phrase --top 9
compare "text options within a limit" -l 2-5 --as-read --memory-limit 64M --files
grep -q "only across files" "$work/plain.out" || { echo "FAILED: the planted phrase is missing"; failed=1; }

# The --output file is written by the first process only, and matches.
"$bin/orvanta-count" -l 2-4 -o "$work/plain.tsv" "${inputs[@]}" 2>/dev/null
"${mpi[@]}" -l 2-4 -o "$work/mpi.tsv" "${inputs[@]}" 2>/dev/null
cmp -s "$work/plain.tsv" "$work/mpi.tsv" || { echo "FAILED: --output files differ"; failed=1; }

# A spill folder that cannot be used ends the run, naming the host and the folder.
"${mpi[@]}" --memory-limit 64M --spill-dir "$work/missing" "${inputs[@]}" >"$work/out" 2>"$work/err"
code=$?
if ((code == 0)) || ! grep -q "on $(hostname).*$work/missing" "$work/err" || [[ -s $work/out ]]; then
  echo "FAILED: a failing process (exit $code) was not named:"
  cat "$work/err"
  failed=1
fi
exit $failed
