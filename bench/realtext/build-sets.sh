#!/usr/bin/env bash
# Builds the real-text benchmark sets from the PDFs of Debian documentation packages.
#
# usage: bench/realtext/build-sets.sh [--small]
#
# Downloads the packages with apt-get download, unpacks them with dpkg-deb -x, converts every
# PDF once with pdftotext (one process per core) and then makes three sets in the cache
# (lib.sh says where it is and lists the packages):
#   sets/manuals   about 10 MB of text from about 56 manuals of 20 to 400 pages: text/ holds
#                  their pdftotext texts, pdf/ the PDFs
#   sets/library   LIBRARY_PDFS (default 3000) PDFs, three in four of at most 5 pages: pdf/
#   sets/bigtext   at least BIG_WORDS (default 100000000) words of distinct real text in
#                  part-NN.txt files: every distinct text of the PDFs above, then those of more
#                  documentation packages' PDFs and HTML pages, until the words are reached
# The manuals and library sets come from the TeX Live documentation packages only. Every step
# reuses what an earlier run left, so a second run only prints what it built. The files of a
# set are hard links into the cache. MANUAL_BYTES changes the size of the manuals set
# (default 10200000). With --small only the manuals and library sets are made, which needs only
# the TeX Live packages.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

library_pdfs=${LIBRARY_PDFS:-3000}
big_words=${BIG_WORDS:-100000000}
manual_bytes=${MANUAL_BYTES:-10200000}

ensure_tools() {
  local tool
  for tool in pdftotext dpkg-deb apt-get md5sum gawk python3 timeout; do
    command -v "$tool" >/dev/null || { "$repo/scripts/setup.sh"; return; }
  done
}

# fetch_packages PACKAGE...: downloads and unpacks each into unpacked/PACKAGE unless done before.
fetch_packages() {
  local package
  mkdir -p "$cache/debs" "$cache/unpacked"
  for package in "$@"; do
    if ! compgen -G "$cache/debs/${package}_*.deb" >/dev/null; then
      say "Downloading $package"
      # apt-get download writes into the current folder; as root it warns that it cannot
      # drop privileges there, which is harmless.
      (cd "$cache/debs" && apt-get download -q "$package" 2>&1 |
        grep -v '^W: Download is performed unsandboxed' >&2) || true
      compgen -G "$cache/debs/${package}_*.deb" >/dev/null || {
        say "could not download $package"
        return 1
      }
    fi
    if [[ ! -f $cache/unpacked/$package/.unpacked ]]; then
      say "Unpacking $package"
      rm -rf "${cache:?}/unpacked/$package"
      mkdir -p "$cache/unpacked/$package"
      dpkg-deb -x "$cache/debs/${package}"_*.deb "$cache/unpacked/$package"
      touch "$cache/unpacked/$package/.unpacked"
    fi
  done
}

# list_files PATTERN PACKAGE...: every regular file of the packages whose name matches, relative
# to unpacked/, NUL-separated. Links are left out: the same file would count twice.
list_files() {
  local pattern=$1 package
  shift
  for package in "$@"; do
    (cd "$cache/unpacked" && find "$package" -type f -iregex "$pattern" -print0 | sort -z)
  done
}

# Of the NUL-separated PDFs on stdin, those with a finished conversion (have) or without (need).
filter_converted() {
  gawk -v RS='\0' -v text="$cache/text/" -v want="$1" '{
      row = text $0 ".txt.row"
      done = (getline line < row) > 0
      close(row)
      if (want == "need" && !done) printf "%s%c", $0, 0
      # The row file is read whole (RS is NUL here), with its own line end.
      if (want == "have" && done) { sub(/\n$/, "", line); print line }
    }'
}

# convert_pdfs INDEX PACKAGE...: converts what is not converted yet and writes the index.
convert_pdfs() {
  local index_file=$1 todo
  shift
  todo=$(list_files '.*\.pdf' "$@" | filter_converted need | tr -cd '\0' | wc -c)
  if ((todo > 0)); then
    say "Converting $todo PDFs with pdftotext, $(nproc) at a time"
    list_files '.*\.pdf' "$@" | filter_converted need |
      nice -n 10 python3 "$realtext_dir/convert_cache.py" "$cache/unpacked" "$cache/text" "$(nproc)"
  fi
  list_files '.*\.pdf' "$@" | filter_converted have >"$index_file.part"
  mv "$index_file.part" "$index_file"
}

# The texts for the big set after the main PDFs: the extra PDFs that converted, then the HTML
# pages as text.
extra_texts() {
  gawk -F'\t' -v text="$cache/text/" '$3 == 0 { print text $1 "/" $2 ".txt" }' "$extra_index"
  list_files '.*\.html?\(\.gz\)?' "${html_packages[@]}" |
    nice -n 10 python3 "$realtext_dir/html_text.py" "$cache/unpacked" "$cache/htmltext"
}

main() {
  [[ $# -eq 0 || ( $# -eq 1 && $1 == --small ) ]] || { say "usage: $0 [--small]"; exit 2; }
  ensure_tools
  fetch_packages "${doc_packages[@]}"
  convert_pdfs "$index" "${doc_packages[@]}"
  say "Making the manuals and library sets"
  nice -n 10 python3 "$realtext_dir/make_sets.py" small "$cache" "$library_pdfs" "$manual_bytes"
  [[ $# -eq 0 ]] || return 0
  fetch_packages "${extra_pdf_packages[@]}" "${html_packages[@]}"
  convert_pdfs "$extra_index" "${extra_pdf_packages[@]}"
  extra_texts >"$cache/extra-texts.txt"
  say "Making the big text"
  nice -n 10 python3 "$realtext_dir/make_sets.py" big "$cache" "$big_words" \
    "$cache/extra-texts.txt"
}

main "$@"
