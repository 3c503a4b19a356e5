#!/usr/bin/env bash
# Writes the PDF test fixtures into OUTDIR (created when missing).
#
#   make-fixtures.sh OUTDIR
#
# Needs python3 (standard library only, for pdfmake.py next to this script)
# and qpdf. Runs offline, writes the same bytes on every run and prints
# nothing on success. Fails with a message on stderr otherwise.
#
# What it writes (pdftotext below means poppler-utils 22.12):
#
#   text-a.pdf    one page, the three lines of TEXT_A below, one per line
#   text-b.pdf    two pages, TEXT_B below; the form feed splits the pages
#
#     Four-word phrases seen more than once (words lower-cased; punctuation
#     stays part of its word, so the last is "the fox goes home."):
#       "at the end of"        text-a 2, text-b 2, total 4
#       "the end of the"       text-a 2, text-b 2, total 4
#       "the quick brown fox"  text-a 2, text-b 1, total 3
#       "the fox goes home"    text-a 1, text-b 1, total 2
#     Every other four-word phrase occurs once. Case differs between
#     occurrences: "The quick brown fox" starts a sentence in both files but
#     "the quick brown fox" is lower case in text-a's second line; "At the
#     end of" opens a sentence once in each file. For three-word phrases,
#     "the lazy dog" occurs once in text-a and twice in text-b.
#
#   scanned-3.pdf, scanned-12.pdf
#                 3 and 12 pages, each page only a raster image, no text;
#                 pdftotext writes exactly one form feed per page
#   user-password.pdf
#                 TEXT_LOCKED, AES-128, open (user) password "open sesame",
#                 owner password "owner-secret"; pdftotext without -upw fails
#   owner-only.pdf
#                 TEXT_OWNER, AES-128, no open password (opens as is),
#                 owner password "owner-secret", changes not allowed
#   damaged.pdf   the first half of a text PDF: the page tree and the xref
#                 table are missing; pdftotext exits 1 and writes no file
#   empty.pdf     0 bytes
#   not-a-pdf.pdf plain text with a .pdf name
#   control-chars.pdf
#                 one line whose extracted text is
#                 "ctrl\x01mark esc\x1bape del\x7fete tab stop end": U+0001,
#                 U+001B and U+007F sit inside words; the page also holds a
#                 vertical tab between "tab" and "stop", which pdftotext turns
#                 into a plain space
#   nested-forms.pdf
#                 a page reading "This page comes before the nested forms."
#                 and a page of 2 KB of forms, each drawing the next 50
#                 times, 7 deep: 50^7 draws of one letter, which no
#                 converter finishes
#   looping-pages.pdf
#                 a page tree that holds itself; poppler finds no page and
#                 pdftotext writes nothing and exits 0
#   large-100.pdf, large-300.pdf
#                 one square page 100 and 300 inches wide with a line of text
#   odd names     copies of one small text PDF reading TEXT_ODD:
#                 "with space.pdf", "quote\"double.pdf", "quote'single.pdf",
#                 "-leading-dash.pdf", "Ünïcödé façade.pdf" (UTF-8, NFC),
#                 "en–dash.pdf" (U+2013), "dollar\$HOME.pdf" (a literal
#                 dollar sign) and "new<LF>line.pdf" (a newline in the name)
set -euo pipefail

fail() {
  printf 'make-fixtures.sh: %s\n' "$*" >&2
  exit 1
}

[[ $# -eq 1 && -n "$1" ]] || fail "usage: make-fixtures.sh OUTDIR"
out=$1
here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
pdfmake=$here/pdfmake.py

for tool in python3 qpdf; do
  command -v "$tool" >/dev/null 2>&1 ||
    fail "$tool is missing (install the Debian package of the same name, or run scripts/setup.sh)"
done
[[ -r "$pdfmake" ]] || fail "missing helper $pdfmake"

TEXT_A='The quick brown fox jumps over the lazy dog.
Later the quick brown fox naps at the end of the garden.
At the end of the day the fox goes home.'

TEXT_B='The quick brown fox waits at the end of the lane.
The lazy dog sleeps.'$'\f''On page two the lazy dog wakes up.
At the end of the week the fox goes home.'

TEXT_LOCKED='The secret garden opens at noon.'
TEXT_OWNER='Anyone may read this page but nobody may change it.'
TEXT_DAMAGED='This file was cut off halfway through.'
TEXT_ODD='Odd file names must not matter.'
TEXT_NOT_PDF='This is plain text, not a PDF, even though the name ends in .pdf.'

mkdir -p -- "$out" || fail "cannot create $out"
tmp=$(mktemp -d) || fail "cannot create a temporary directory"
trap 'rm -rf -- "$tmp"' EXIT

text_pdf() { # text_pdf OUTFILE TEXT
  printf '%s\n' "$2" | python3 "$pdfmake" text "$1" || fail "pdfmake.py could not write $1"
}

text_pdf "$out/text-a.pdf" "$TEXT_A"
text_pdf "$out/text-b.pdf" "$TEXT_B"

python3 "$pdfmake" scanned "$out/scanned-3.pdf" 3 || fail "pdfmake.py could not write scanned-3.pdf"
python3 "$pdfmake" scanned "$out/scanned-12.pdf" 12 || fail "pdfmake.py could not write scanned-12.pdf"
python3 "$pdfmake" control "$out/control-chars.pdf" || fail "pdfmake.py could not write control-chars.pdf"

python3 "$pdfmake" nested "$out/nested-forms.pdf" 7 50 || fail "pdfmake.py could not write nested-forms.pdf"
python3 "$pdfmake" looping "$out/looping-pages.pdf" || fail "pdfmake.py could not write looping-pages.pdf"
for inches in 100 300; do
  python3 "$pdfmake" large "$out/large-$inches.pdf" $inches || fail "pdfmake.py could not write large-$inches.pdf"
done

# AES-128 rather than AES-256: with a fixed ID and IV qpdf then writes the
# same bytes every time (AES-256 always draws random salts).
text_pdf "$tmp/locked.pdf" "$TEXT_LOCKED"
qpdf --static-id --static-aes-iv \
  --encrypt 'open sesame' 'owner-secret' 128 --use-aes=y -- \
  "$tmp/locked.pdf" "$out/user-password.pdf" || fail "qpdf could not write user-password.pdf"
text_pdf "$tmp/owner.pdf" "$TEXT_OWNER"
qpdf --static-id --static-aes-iv \
  --encrypt '' 'owner-secret' 128 --use-aes=y --modify=none -- \
  "$tmp/owner.pdf" "$out/owner-only.pdf" || fail "qpdf could not write owner-only.pdf"

text_pdf "$tmp/whole.pdf" "$TEXT_DAMAGED"
size=$(wc -c <"$tmp/whole.pdf")
head -c $((size / 2)) "$tmp/whole.pdf" >"$out/damaged.pdf"

: >"$out/empty.pdf"
printf '%s\n' "$TEXT_NOT_PDF" >"$out/not-a-pdf.pdf"

text_pdf "$tmp/odd.pdf" "$TEXT_ODD"
odd_names=(
  'with space.pdf'
  'quote"double.pdf'
  "quote'single.pdf"
  '-leading-dash.pdf'
  'Ünïcödé façade.pdf'
  'en–dash.pdf'
  'dollar$HOME.pdf'
  'new'$'\n''line.pdf'
)
for name in "${odd_names[@]}"; do
  cp -- "$tmp/odd.pdf" "$out/$name" || fail "cannot write $out/$name"
done
