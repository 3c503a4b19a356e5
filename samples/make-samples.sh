#!/usr/bin/env bash
# Rebuilds the example PDFs in this folder from the texts in src/.
#
#   samples/make-samples.sh
#
# Each src/NAME.txt becomes NAME.pdf here. The build copies this whole folder
# next to the executables as "Samples", so the PDFs are kept in the
# repository; run this script again only after changing a text in src/.
#
# The texts use a small plain-text layout:
#   # Title            first line, printed as the centred title
#   ## Heading         a section heading
#   - item             a bullet point (continues until a blank line)
#   blank line         ends a paragraph; other lines are running text
#
# Two different PDF writers are used on purpose, so the samples look like
# files from different sources: groff's own PDF writer (gropdf, standard
# fonts, not embedded) and groff's PostScript run through Ghostscript
# (embedded font subsets). Both are set up to give the same bytes on every
# run: a fixed date, no random IDs, and qpdf's --deterministic-id.
#
# Needs the Debian packages groff, ghostscript and qpdf (see scripts/setup.sh).
set -euo pipefail

fail() {
  printf 'make-samples.sh: %s\n' "$*" >&2
  exit 1
}

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
for tool in groff gs qpdf; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing (run scripts/setup.sh)"
done

# 1 June 2024, 09:00 UTC: the date gropdf writes into the document info.
export SOURCE_DATE_EPOCH=1717232400
pdf_date="D:20240601090000Z"

# name             writer  font family  point size
# (font families in groff: T Times, H Helvetica, P Palatino,
#  N New Century Schoolbook, BM Bookman)
samples=(
  "garden-newsletter gropdf  T           11"
  "club-minutes      gs      P           11"
  "short-story       gs      N           12"
  "kettle-faq        gropdf  H           10"
  "travel-diary      gs      BM          11"
  "summer-fair       gropdf  H           11"
)

# Turns the plain-text layout above into groff -ms input.
to_ms() { # to_ms SRC.txt POINTSIZE
  awk -v size="$2" '
    function esc(s) { gsub(/\\/, "\\e", s); return "\\&" s }
    NR == 1 {
      if ($0 !~ /^# /) { print FILENAME ": the first line must be \"# Title\"" > "/dev/stderr"; exit 1 }
      print ".nr PS " size "p"
      print ".nr VS " (size + 3) "p"
      # No hyphenation: words broken at line ends would split phrases.
      print ".nr HY 0"
      print ".nh"
      print ".TL"; print esc(substr($0, 3))
      print ".LP"
      para = 1; next
    }
    /^[ \t]*$/   { para = 1; next }
    /^## /       { print ".SH"; print esc(substr($0, 4)); para = 1; next }
    /^- /        { print ".IP \\(bu 2"; print esc(substr($0, 3)); para = 0; next }
    {
      if (para) print ".PP"
      para = 0
      print esc($0)
    }
  ' "$1"
}

# The title for the document info, in plain ASCII (groff's .pdfinfo and a
# PostScript string both take it as it is).
title_of() { # title_of SRC.txt
  head -n 1 -- "$1" | sed -e 's/^# //' -e 's/ — / - /g' | iconv -f UTF-8 -t ASCII//TRANSLIT
}

# A groff warning (a missing character, say) means a wrong-looking sample.
no_warnings() { # no_warnings SRC.txt
  [[ ! -s "$tmp/err" ]] || fail "groff warned about $1: $(cat "$tmp/err")"
}

tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT

for entry in "${samples[@]}"; do
  read -r name writer family size <<<"$entry"
  src=$here/src/$name.txt
  [[ -r "$src" ]] || fail "missing $src"
  ms=$tmp/$name.ms
  raw=$tmp/$name.pdf
  title=$(title_of "$src")
  to_ms "$src" "$size" >"$ms" || fail "cannot convert $src"

  case $writer in
    gropdf)
      # .pdfinfo sets the document info; gropdf takes the date from
      # SOURCE_DATE_EPOCH.
      {
        printf '.pdfinfo /Title %s\n' "$title"
        printf '.pdfinfo /Author Orvanta sample texts\n'
        cat "$ms"
      } >"$tmp/$name.in"
      groff -K utf-8 -ms -Tpdf -f"$family" -dpaper=a4 -P-pa4 "$tmp/$name.in" >"$raw" 2>"$tmp/err" ||
        fail "groff failed on $src: $(cat "$tmp/err")"
      no_warnings "$src"
      ;;
    gs)
      # Document info comes from a pdfmark at the top of the PostScript;
      # Ghostscript is told to leave out its own date, ID and XMP packet.
      ps_title=$(printf '%s' "$title" | sed 's/[\\()]/\\&/g')
      {
        printf "\\X'ps: exec [/Title (%s) /Author (Orvanta sample texts) /CreationDate (%s) /ModDate (%s) /DOCINFO pdfmark'\n" \
          "$ps_title" "$pdf_date" "$pdf_date"
        cat "$ms"
      } >"$tmp/$name.in"
      groff -K utf-8 -ms -Tps -f"$family" -dpaper=a4 -P-pa4 "$tmp/$name.in" >"$tmp/$name.ps" 2>"$tmp/err" ||
        fail "groff failed on $src: $(cat "$tmp/err")"
      no_warnings "$src"
      gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sPAPERSIZE=a4 \
        -dOmitInfoDate -dOmitID -dOmitXMP \
        -o "$raw" "$tmp/$name.ps" 2>"$tmp/err" ||
        fail "ghostscript failed on $src: $(cat "$tmp/err")"
      ;;
    *) fail "unknown writer $writer" ;;
  esac

  qpdf --deterministic-id -- "$raw" "$here/$name.pdf" ||
    fail "qpdf failed on $name.pdf"
done
