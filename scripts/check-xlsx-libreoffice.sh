#!/usr/bin/env bash
# Checks the spreadsheet export against a real spreadsheet program: writes a workbook through
# the export (tests/results/xlsx_check_writer.cpp), has LibreOffice convert it to CSV headless
# and compares every cell. Installs LibreOffice Calc (libreoffice-calc-nogui) when missing.
#
# usage: scripts/check-xlsx-libreoffice.sh [BUILD_DIR]      (default build-xlsx-check)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$repo/build-xlsx-check}

"$repo/scripts/setup.sh"
status=$(dpkg-query -W -f='${Status}' libreoffice-calc-nogui 2>/dev/null || true)
if [[ "$status" != "install ok installed" ]]; then
  echo "Installing libreoffice-calc-nogui"
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends libreoffice-calc-nogui
fi

cmake -S "$repo" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target xlsx_check_writer >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
TMPDIR=$scratch "$build/bin/xlsx_check_writer" "$scratch/check.xlsx"
# A profile of its own, so a running LibreOffice of the user is neither used nor disturbed.
HOME=$scratch/home soffice --headless \
  --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' \
  --outdir "$scratch/out" "$scratch/check.xlsx" >"$scratch/convert.log" 2>&1 || {
  cat "$scratch/convert.log"
  exit 1
}

# Text cells come out quoted; list row 2 is unticked, so sheet row 3 is empty; the form feed
# inside the phrase and the literal _x0041_ come back as written.
{
  printf '%s\n' '"Results"," Word Count","Frequency"'
  printf '%s\n' '" the quick brown fox","4","12"'
  printf '%s\n' ',,'
  printf '%s\n' '" a = b","3","15"'
  printf '%s\n' "\" end"$'\f'"of page _x0041_ & <tag> über\",\"7\",\"2\""
  printf '%s\n' '" 0123","1","2"'
} >"$scratch/expected.csv"

if ! cmp -s "$scratch/expected.csv" "$scratch/out/check.csv"; then
  echo "LibreOffice read the workbook differently:"
  diff <(od -c "$scratch/expected.csv") <(od -c "$scratch/out/check.csv") || true
  exit 1
fi
echo "LibreOffice reads every cell of the workbook as written."
