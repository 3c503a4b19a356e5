#!/usr/bin/env bash
# Typesets the source texts in src/ as small books and converts them back with pdftotext, for
# the text-options proof (run-proof.sh).
#
#   make-proof-pdfs.sh OUTDIR [tight]
#
# Each src/NAME.txt becomes, in OUTDIR:
#   NAME.pdf         A6 pages, justified, hyphenated, with fi and fl ligatures that read as
#                    U+FB01 and U+FB02; the title page, then each chapter from a new page; even
#                    and odd pages with different running heads (the book's title, the chapter's
#                    short title) and page numbers, and in some books feet with page numbers
#   NAME.txt         what pdftotext makes of it
#   NAME.paragraphs  the source's title, headings and paragraphs, one a line: what a reader
#                    reads, and what the counts of NAME.txt are compared with
#   NAME.heads       the running-head texts (title and short chapter titles), one a line
#
# Paragraphs are set apart by two lines' space, which pdftotext shows as a blank line; with
# "tight" they are indented and closely set, and pdftotext shows no line between them.
#
# Source layout: "# Title" on the first line; "## Heading | Short title" starts a chapter; a
# blank line ends a paragraph. Needs groff, ghostscript, qpdf 11 and poppler-utils.
set -euo pipefail

fail() {
  printf 'make-proof-pdfs.sh: %s\n' "$*" >&2
  exit 1
}

[[ $# -ge 1 && $# -le 2 ]] || fail "usage: make-proof-pdfs.sh OUTDIR [tight]"
out=$1
tight=${2:-}
here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
for tool in groff gs qpdf pdftotext python3; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing"
done
mkdir -p -- "$out"
tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT

# Heads and feet as groff -ms titles without their outer quotes: left'centre'right. TITLE is
# the book's title, SHORT the chapter's short title, % the page number, "-" none.
# name                font  even head     odd head      even foot      odd foot
books=(
  "marlow-point        T     %''TITLE      SHORT''%      -              -"
  "small-rivers        P     TITLE''       ''SHORT       '\\-%\\-'      '\\-%\\-'"
  "orchard-cooperative H     'TITLE'       'SHORT'       Page%''        ''Page%"
)

if [[ $tight == tight ]]; then
  paragraph=.PP
  spacing=0.3v
else
  paragraph=.LP
  spacing=2v
fi

# Turns the source layout into groff -ms input. The templates come through the environment,
# which leaves their backslashes alone.
to_ms() { # to_ms SRC EVENHEAD ODDHEAD EVENFOOT ODDFOOT
  EVENHEAD=$2 ODDHEAD=$3 EVENFOOT=$4 ODDFOOT=$5 PARAGRAPH=$paragraph SPACING=$spacing awk '
    function esc(s) { gsub(/\\/, "\\e", s); return "\\&" s }
    function tl(template, short) {
      if (template == "-") return "\047\047\047\047"
      gsub(/TITLE/, title, template); gsub(/SHORT/, short, template); gsub(/%/, " % ", template)
      return "\047" template "\047"
    }
    BEGIN {
      evenhead = ENVIRON["EVENHEAD"]; oddhead = ENVIRON["ODDHEAD"]
      evenfoot = ENVIRON["EVENFOOT"]; oddfoot = ENVIRON["ODDFOOT"]
      paragraph = ENVIRON["PARAGRAPH"]; spacing = ENVIRON["SPACING"]
    }
    NR == 1 {
      title = substr($0, 3)
      print ".nr PS 12p"; print ".nr VS 14.5p"; print ".nr PD " spacing
      print ".pl 12.6c"; print ".nr PO 1.4c"; print ".nr LL 7.7c"
      print ".nr HM 2c"; print ".nr FM 2c"; print ".nr HY 1"
      print ".ds CH"
      print ".TL"; print esc(title)
      next
    }
    /^## / {
      split(substr($0, 4), parts, / \| /)
      print ".EH " tl(evenhead, parts[2]); print ".OH " tl(oddhead, parts[2])
      print ".EF " tl(evenfoot, parts[2]); print ".OF " tl(oddfoot, parts[2])
      print ".bp"; print ".SH"; print esc(parts[1])
      para = 1
      next
    }
    /^[ \t]*$/ { para = 1; next }
    {
      if (para) print paragraph
      para = 0
      print esc($0)
    }
  ' "$1"
}

for entry in "${books[@]}"; do
  read -r name font evenhead oddhead evenfoot oddfoot <<<"$entry"
  src=$here/src/$name.txt
  [[ -r $src ]] || fail "missing $src"
  to_ms "$src" "$evenhead" "$oddhead" "$evenfoot" "$oddfoot" >"$tmp/$name.ms"
  groff -K utf-8 -ms -Tps -f"$font" -P-p12.6c,10.5c "$tmp/$name.ms" >"$tmp/$name.ps" 2>"$tmp/err" ||
    fail "groff failed on $src: $(cat "$tmp/err")"
  [[ ! -s $tmp/err ]] || fail "groff warned about $src: $(cat "$tmp/err")"
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -dDEVICEWIDTHPOINTS=298 \
    -dDEVICEHEIGHTPOINTS=357 -dFIXEDMEDIA -dOmitInfoDate -dOmitID -dOmitXMP \
    -o "$tmp/$name.pdf" "$tmp/$name.ps" 2>"$tmp/err" || fail "ghostscript failed on $src: $(cat "$tmp/err")"
  python3 "$here/mark-compatibility.py" "$tmp/$name.pdf" "$out/$name.pdf"
  pdftotext "$out/$name.pdf" "$out/$name.txt"

  awk '
    NR == 1 { print substr($0, 3); next }
    /^## / { split(substr($0, 4), parts, / \| /); flush(); print parts[1]; next }
    /^[ \t]*$/ { flush(); next }
    { paragraph = paragraph == "" ? $0 : paragraph " " $0 }
    END { flush() }
    function flush() { if (paragraph != "") print paragraph; paragraph = "" }
  ' "$src" >"$out/$name.paragraphs"
  awk '
    NR == 1 { print substr($0, 3) }
    /^## / { split(substr($0, 4), parts, / \| /); print parts[2] }
  ' "$src" >"$out/$name.heads"
done
