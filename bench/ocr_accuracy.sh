#!/usr/bin/env bash
# How well and how fast scanned pages are read: the share of words recovered and pages per
# second, on pages of English prose typeset, drawn and wrapped as image-only PDFs by
# tests/data/make-scans.sh: at 300 dpi, at 300 dpi turned 3 degrees, and at 150 dpi.
#
# usage: bench/ocr_accuracy.sh [SOURCE.txt]     (default bench/ocr_prose.txt)
#
# A word is recovered when it comes back exactly, compared in lower case without punctuation,
# at its place in the word-by-word alignment of source and recognised text (the longest run of
# words the two have in common, in order). All pages of a PDF are read at once with one worker
# per core (bench_ocr), and then once more by the tesseract program, one process per page with
# OMP_THREAD_LIMIT=1 and as many at once as there are cores, for comparison.
#
# Other people's builds may share the cores: the CPU seconds that other processes used during
# each run are shown after it. The scans and bench_ocr (Release, in build-ocrbench) are kept in
# bench/out/ocr/ and rebuilt when needed.
set -euo pipefail

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$bench_dir")
source_text=${1:-$bench_dir/ocr_prose.txt}
out=$bench_dir/out/ocr
build=$repo/build-ocrbench
cores=$(nproc)

[[ -r "$source_text" ]] || { echo "cannot read $source_text" >&2; exit 2; }
command -v tesseract >/dev/null || { echo "tesseract is missing (run scripts/setup.sh)" >&2; exit 1; }

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTA_BUILD_TESTS=OFF >/dev/null
nice -n 10 ninja -C "$build" -j2 bench_ocr >/dev/null

mkdir -p "$out"
stamp=$out/source.sha256
if ! sha256sum "$source_text" "$repo/tests/data/make-scans.sh" "$repo/tests/data/pdfmake.py" |
  cut -d' ' -f1 | cmp -s - "$stamp"; then
  nice -n 10 "$repo/tests/data/make-scans.sh" "$out" "$source_text"
  sha256sum "$source_text" "$repo/tests/data/make-scans.sh" "$repo/tests/data/pdfmake.py" |
    cut -d' ' -f1 >"$stamp"
fi
scans=("$out/scan-300.pdf" "$out/scan-skewed.pdf" "$out/scan-150.pdf")

# busy_seconds: CPU seconds the whole machine has been busy since it started.
busy_seconds() {
  awk -v hz="$(getconf CLK_TCK)" '/^cpu / { print ($2 + $3 + $4 + $7 + $8 + $9) / hz }' /proc/stat
}

# timed COMMAND...: runs it and then says how much CPU time it and the others used.
timed() {
  local before
  before=$(busy_seconds)
  /usr/bin/time -f '%e %U %S' -o "$out/time" "$@"
  awk -v before="$before" -v after="$(busy_seconds)" \
    '{ printf "  (%.1f s wall, %.1f CPU-s this run, %.1f CPU-s other processes meanwhile)\n",
       $1, $2 + $3, after - before - $2 - $3 }' "$out/time"
}

echo "== Page recognizer (libtesseract, pdftoppm children), $cores workers"
timed "$build/bench/bench_ocr" "$source_text" "${scans[@]}"

echo "== tesseract program, one process per page, $cores at once (300 dpi clean only)"
pages=$(pdfinfo "$out/scan-300.pdf" | awk '/^Pages:/ { print $2 }')
rm -rf "$out/cli" && mkdir -p "$out/cli"
# shellcheck disable=SC2016 # expanded by the inner shell
timed bash -c 'seq "$1" | xargs -P "$2" -I{} sh -c \
  "pdftoppm -r 300 -gray -f {} -l {} \"\$0\" | OMP_THREAD_LIMIT=1 tesseract stdin \"\$1/page-{}\" --dpi 300 2>/dev/null" \
  "$3" "$4"' _ "$pages" "$cores" "$out/scan-300.pdf" "$out/cli"
awk -v p="$pages" -v t="$(cut -d' ' -f1 "$out/time")" \
  'BEGIN { printf "  %d pages = %.2f pages/s\n", p, p / t }'
