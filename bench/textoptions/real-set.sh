#!/usr/bin/env bash
# What each text option changes on a real set of PDFs, and what all five cost: the LaTeX base
# documentation that Debian ships (texlive-latex-base-doc: user guides, the LaTeX News issues,
# the annotated sources), converted by pdftotext.
#
#   real-set.sh BUILDDIR CACHEDIR [SAMPLE]
#
# BUILDDIR holds bench/bench_text_options. The package is fetched with apt-get download into
# CACHEDIR (outside the repository) on the first run; its PDFs are converted once into
# CACHEDIR/texts. Prints rows and occurrences per option, the lines left out as running heads
# and feet with a sample of SAMPLE of them (default 40), and the counting time with every option
# off and all on.
set -euo pipefail

fail() {
  printf 'real-set.sh: %s\n' "$*" >&2
  exit 1
}

[[ $# -ge 2 && $# -le 3 ]] || fail "usage: real-set.sh BUILDDIR CACHEDIR [SAMPLE]"
bench=$1/bench/bench_text_options
cache=$2
sample=${3:-40}
[[ -x $bench ]] || fail "$bench is missing (build the target bench_text_options)"
package=texlive-latex-base-doc
mkdir -p -- "$cache/debs" "$cache/texts"

if ! compgen -G "$cache/debs/${package}_*.deb" >/dev/null; then
  (cd -- "$cache/debs" && apt-get download "$package") || fail "cannot download $package"
fi
if [[ ! -d $cache/unpacked ]]; then
  dpkg-deb -x "$cache"/debs/${package}_*.deb "$cache/unpacked.part"
  mv -- "$cache/unpacked.part" "$cache/unpacked"
fi
for pdf in "$cache"/unpacked/usr/share/doc/texlive-doc/latex/base/*.pdf; do
  text=$cache/texts/$(basename -- "$pdf" .pdf).txt
  [[ -s $text ]] || nice -n 10 pdftotext "$pdf" "$text" || fail "pdftotext failed on $pdf"
done

echo "== what each option changes"
nice -n 10 "$bench" effects "$cache/texts" "$sample"
echo "== counting time"
nice -n 10 "$bench" time "$cache/texts"
