#!/usr/bin/env bash
# Writes scanned-looking PDF files (raster images only, no text layer) made from
# known text, for the page recognition tests and the OCR accuracy benchmark.
#
#   make-scans.sh OUTDIR             the test set below
#   make-scans.sh OUTDIR TEXTFILE    scan-300.pdf, scan-skewed.pdf and
#                                    scan-150.pdf typeset from TEXTFILE
#                                    (plain text, paragraphs separated by a
#                                    blank line; as many pages as it needs)
#
# The text is typeset with groff (ms macros, Times 12 point, US Letter, one
# inch margins, no hyphenation, ragged right, no page headers), rendered with
# Ghostscript to 8-bit grey at the resolution named below (anti-aliased, as a
# grey scanner gives), and each page image becomes one PDF page through
# pdfmake.py next to this script. Needs groff, gs, python3 and qpdf; runs
# offline, writes the same bytes on every run and prints nothing on success.
#
# The test set:
#
#   scan-300.pdf     SCAN_TEXT below, one page, 300 dpi
#   scan-skewed.pdf  the same page turned 3 degrees counter-clockwise
#                    about its centre before rendering, 300 dpi
#   scan-150.pdf     the same page at 150 dpi
#   typed-then-scanned.pdf
#                    page 1: TYPED_TEXT as a text PDF (pdftotext reads it);
#                    page 2: SCANNED_TEXT as a 300 dpi scan (pdftotext
#                    gives only the form feed)
set -euo pipefail

fail() {
  printf 'make-scans.sh: %s\n' "$*" >&2
  exit 1
}

[[ ($# -eq 1 || $# -eq 2) && -n "$1" ]] || fail "usage: make-scans.sh OUTDIR [TEXTFILE]"
out=$1
here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
pdfmake=$here/pdfmake.py

for tool in groff gs python3 qpdf; do
  command -v "$tool" >/dev/null 2>&1 ||
    fail "$tool is missing (run scripts/setup.sh)"
done
[[ -r "$pdfmake" ]] || fail "missing helper $pdfmake"

SCAN_TEXT='The quick brown fox jumps over the lazy dog.
Scanned pages are read again with optical character recognition.'
TYPED_TEXT='This first page was typed and has a text layer.'
SCANNED_TEXT='The second page is only a picture of printed words.'

mkdir -p -- "$out" || fail "cannot create $out"
tmp=$(mktemp -d) || fail "cannot create a temporary directory"
trap 'rm -rf -- "$tmp"' EXIT

# typeset TEXTFILE PSFILE: a backslash is printed as itself, and a line that
# starts with a dot or an apostrophe is text, not a groff request.
typeset() {
  {
    printf '%s\n' '.nr PS 12' '.nr VS 15' '.nr HM 1i' '.nr FM 1i' \
      '.nr PO 1i' '.nr LL 6.5i' '.nr HY 0' '.ds CH' '.nh' '.na' '.LP'
    sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/" -- "$1"
  } | groff -ms -Tps -P-pletter >"$2" || fail "groff could not typeset $1"
}

# render PSFILE DPI DEGREES PREFIX: one PREFIX-N.pgm per page, turned
# counter-clockwise by DEGREES about the page centre.
render() {
  local turn=''
  [[ "$3" == 0 ]] || turn="<< /BeginPage { pop 306 396 translate $3 rotate -306 -396 translate } >> setpagedevice"
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pgmraw -r"$2" \
    -dTextAlphaBits=4 -dGraphicsAlphaBits=4 -sOutputFile="$4-%03d.pgm" \
    -c "$turn" -f "$1" || fail "gs could not render $1"
}

# scan TEXTFILE OUTFILE DPI DEGREES
scan() {
  local name
  name=$(basename -- "$2" .pdf)
  typeset "$1" "$tmp/$name.ps"
  render "$tmp/$name.ps" "$3" "$4" "$tmp/$name"
  python3 "$pdfmake" images "$2" "$3" "$tmp/$name"-*.pgm || fail "pdfmake.py could not write $2"
}

three_scans() { # three_scans TEXTFILE
  scan "$1" "$out/scan-300.pdf" 300 0
  scan "$1" "$out/scan-skewed.pdf" 300 3
  scan "$1" "$out/scan-150.pdf" 150 0
}

if [[ $# -eq 2 ]]; then
  [[ -r "$2" ]] || fail "cannot read $2"
  three_scans "$2"
  exit 0
fi

printf '%s\n' "$SCAN_TEXT" >"$tmp/scan.txt"
three_scans "$tmp/scan.txt"

printf '%s\n' "$TYPED_TEXT" | python3 "$pdfmake" text "$tmp/typed.pdf" ||
  fail "pdfmake.py could not write the typed page"
printf '%s\n' "$SCANNED_TEXT" >"$tmp/second.txt"
scan "$tmp/second.txt" "$tmp/second.pdf" 300 0
qpdf --static-id --empty --pages "$tmp/typed.pdf" "$tmp/second.pdf" -- \
  "$out/typed-then-scanned.pdf" || fail "qpdf could not write typed-then-scanned.pdf"
