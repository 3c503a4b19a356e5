#!/usr/bin/env bash
# Installs the Debian packages the project needs. Does nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-liberation xvfb xauth
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-format clang-14 libclang-rt-14-dev
  poppler-utils
  python3 gawk
  ghostscript qpdf groff
  time
  libxlsxwriter-dev unzip
  tesseract-ocr tesseract-ocr-eng libtesseract-dev libleptonica-dev
)

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
