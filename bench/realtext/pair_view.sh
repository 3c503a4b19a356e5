#!/usr/bin/env bash
# Times opening a pair of files side by side (bench/pair_view_bench.cpp) on converted texts of
# the library set, of mixed sizes: the English and French LaTeX2e manuals (about 300 pages each,
# thousands of shared stretches), another text of about 300 pages, one of 120 to 180 pages and
# one of 10 to 30 pages. Every pair of them is opened three times; target under 1 s for two
# texts of about 300 pages.
#
# usage: bench/realtext/pair_view.sh [BUILD_DIR]     (default build-rel in the repository)
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=${1:-$repo/build-rel}
text=$cache/text
manuals=(texlive-lang-english/usr/share/doc/texlive-doc/latex/latex2e-help-texinfo/latex2e.pdf.txt
         texlive-lang-french/usr/share/doc/texlive-doc/latex/latex2e-help-texinfo-fr/latex2e-fr.pdf.txt)

pages() { tr -cd '\f' <"$1" | wc -c; }

# first_with LEAST MOST: the first converted text (by name) of LEAST to MOST pages, other than
# the manuals.
first_with() {
  local path count
  while IFS= read -r path; do
    [[ $path == *latex2e* ]] && continue
    count=$(pages "$path")
    if ((count >= $1 && count <= $2)); then
      echo "$path"
      return 0
    fi
  done < <(find "$text" -name '*.pdf.txt' -size +20k | sort)
  say "no text of $1 to $2 pages in $text"
  return 1
}

main() {
  local texts=() path
  for path in "${manuals[@]}"; do
    [[ -f $text/$path ]] || { say "missing $text/$path: run bench/realtext/build-sets.sh"; exit 2; }
    texts+=("$text/$path")
  done
  texts+=("$(first_with 280 320)" "$(first_with 120 180)" "$(first_with 10 30)")
  build_release "$build" bench_pair_view
  echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
  printf '%s\n' "${texts[@]#"$text"/}"
  "$build/bench/bench_pair_view" --rounds 3 "${texts[@]}"
}

main "$@"
