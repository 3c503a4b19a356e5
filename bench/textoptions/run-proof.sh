#!/usr/bin/env bash
# The proof of the text options: books typeset from the texts in src/ (make-proof-pdfs.sh) are
# converted back by pdftotext and counted with every option on; their counts are compared with
# those of the source paragraphs, and the lines left out as running heads are checked.
#
#   run-proof.sh BUILDDIR [OUTDIR]
#
# BUILDDIR holds bench/bench_text_options. The books go to OUTDIR (default: a temporary folder
# removed at the end): first as set normally, paragraphs apart; then with "tight" paragraphs,
# which pdftotext runs together.
set -euo pipefail

fail() {
  printf 'run-proof.sh: %s\n' "$*" >&2
  exit 1
}

[[ $# -ge 1 && $# -le 2 ]] || fail "usage: run-proof.sh BUILDDIR [OUTDIR]"
here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
bench=$1/bench/bench_text_options
[[ -x $bench ]] || fail "$bench is missing (build the target bench_text_options)"
if [[ $# -eq 2 ]]; then
  out=$2
else
  out=$(mktemp -d)
  trap 'rm -rf -- "$out"' EXIT
fi

for layout in apart tight; do
  echo "== paragraphs $layout"
  "$here/make-proof-pdfs.sh" "$out/$layout" "$([[ $layout == tight ]] && echo tight)"
  "$bench" proof "$out/$layout"
done
