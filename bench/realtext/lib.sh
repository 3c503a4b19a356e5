# shellcheck shell=bash
# shellcheck disable=SC2034 # the variables are used by the scripts that source this file
# Shared by the scripts of bench/realtext/: where the cache lives and small helpers.
#
# usage: source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
#
# The cache holds the downloaded packages, their unpacked files, one pdftotext text per PDF and
# the benchmark sets. It is ORVANTA_BENCH_CACHE when set, else the user's cache folder.

realtext_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$realtext_dir/../.." && pwd)
cache=${ORVANTA_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvanta-bench}/realtext

# Documentation packages whose PDFs are the real text. Most PDFs in them are package manuals
# typeset by their authors; many are short examples and font samples.
doc_packages=(
  texlive-fonts-extra-doc texlive-fonts-recommended-doc texlive-humanities-doc
  texlive-latex-base-doc texlive-latex-extra-doc texlive-latex-recommended-doc
  texlive-metapost-doc texlive-pictures-doc texlive-pstricks-doc texlive-publishers-doc
  texlive-science-doc
)

# More documentation for the big set only, after the PDFs above: first PDFs (each converted
# like those above), then HTML pages turned into text by html_text.py.
extra_pdf_packages=(
  lilypond-doc-pdf r-doc-pdf texlive-lang-english texlive-bibtex-extra texlive-music
  texlive-games texlive-extra-utils texlive-plain-generic texlive-luatex texlive-formats-extra
  texlive-lang-french texlive-lang-german texlive-lang-european texlive-lang-other
  texlive-lang-greek texlive-lang-cyrillic texlive-lang-polish texlive-lang-czechslovak
  texlive-lang-italian texlive-lang-spanish texlive-lang-portuguese
)
html_packages=(
  linux-doc-6.1 debian-handbook python3.11-doc postgresql-doc-15 openjdk-17-doc erlang-doc
  qtbase5-doc-html python-django-doc rust-doc python-pandas-doc python-scipy-doc
  python-sympy-doc apache2-doc git-doc libstdc++-12-doc ghc-doc
)

# Where every converted text is listed, one line per PDF:
# package, path inside the package, exit status, pages, words, bytes, md5 of the text; the
# PDFs of the extra packages are listed in the same way in extra-index.tsv.
index=$cache/index.tsv
extra_index=$cache/extra-index.tsv

# Lengths as the current command line takes them.
short_lengths=2,3,4,5
long_lengths=$(seq -s, 2 19)

say() { printf '%s\n' "$*" >&2; }

# human BYTES: a size in MB (10^6) with one decimal.
human_mb() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1e6 }'; }

# build_release BUILD_DIR TARGET...: a Release build of the given targets, tests off.
build_release() {
  local build=$1
  shift
  nice -n 10 cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DORVANTA_BUILD_TESTS=OFF >/dev/null
  nice -n 10 cmake --build "$build" -j2 --target "$@" >/dev/null
}
