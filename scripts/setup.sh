#!/usr/bin/env bash
# Installs the Debian packages the project needs. Does nothing when all are present.
#
# usage: scripts/setup.sh [--runtime]
#   --runtime   only what running the built programs needs
#   (default)   that, and what building, testing and packaging need
set -euo pipefail

# What the programs need at run time: Qt, the PDF converter and page renderer, the workbook
# writer, Tesseract with its English language.
runtime=(
  libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6
  poppler-utils libpoppler-qt6-3
  libxlsxwriter4
  libtesseract5 liblept5 tesseract-ocr-eng
  libpoppler126
)

# What building, testing and packaging need besides.
build=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev fonts-liberation xvfb xauth
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-format clang-14 libclang-rt-14-dev lld
  python3 gawk
  ghostscript qpdf groff
  time
  libxlsxwriter-dev unzip
  libpoppler-qt6-dev
  dpkg-dev lintian appstream desktop-file-utils librsvg2-bin
  tesseract-ocr libtesseract-dev libleptonica-dev
  libpoppler-private-dev
  openmpi-bin libopenmpi-dev
)

case "${1:-}" in
  --runtime) packages=("${runtime[@]}") ;;
  "") packages=("${runtime[@]}" "${build[@]}") ;;
  *)
    echo "usage: scripts/setup.sh [--runtime]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
