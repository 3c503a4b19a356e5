#!/usr/bin/env bash
# Starts the real window under Xvfb, adds the fixture PDFs, counts four-word phrases and saves a
# picture of the window, then pictures of the explorer's phrases and passages beside it.
#
# usage: scripts/screenshot.sh [OUTPUT.png]      (default docs/window.png)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
output=${1:-$repo/docs/window.png}
build=$repo/build

"$repo/scripts/setup.sh"
cmake -S "$repo" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target window_screenshot orvanta_images >/dev/null
fixtures=$build/fixtures
"$repo/tests/data/make-fixtures.sh" "$fixtures"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$(dirname "$output")"
docs=$scratch/Reports
mkdir -p "$docs"
cp "$fixtures/text-a.pdf" "$docs/fox-notes.pdf"
cp "$fixtures/text-b.pdf" "$docs/fox-notes-2.pdf"
cp "$fixtures/scanned-3.pdf" "$docs/scanned-letter.pdf"
cp "$fixtures/damaged.pdf" "$docs/damaged.pdf"
TMPDIR=$scratch xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/window_screenshot" "$output" 4 \
  "$docs/fox-notes.pdf" "$docs/fox-notes-2.pdf" "$docs/scanned-letter.pdf" "$docs/damaged.pdf"
echo "Saved $output"
