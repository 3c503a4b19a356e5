#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, and runs every test with CTest under
# the offscreen platform: once in the normal build and once built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, where the fuzz targets also run a few seconds
# over their corpus. Run as root (as CI does), it also runs the tests that need an unprivileged
# user as one.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Both builds link with lld, much faster than the default linker over a hundred test programs.
link=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)

echo "== formatting (clang-format 14, .clang-format)"
find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run -Werror

# As root, the builds go where the unprivileged user can read them (see
# scripts/unprivileged-tests.sh), so one normal build serves both users.
source=. out=.
if [[ $(id -u) -eq 0 ]]; then
  out=$(./scripts/unprivileged-tests.sh copy)
  source=$out/source
  echo "== building in $out, where the unprivileged user can read"
fi

echo "== normal build (at ${SECONDS} s)"
# At -O1 and without debug information: the tests need neither, and the build takes much less
# time. The benchmarks are left out: their scripts build and time them in optimised builds of
# their own (build-rel by default).
cmake -S "$source" -B "$out/build" -G Ninja -DORVANTA_WERROR=ON -DORVANTA_BUILD_BENCH=OFF "${link[@]}" \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -DNDEBUG" >/dev/null
cmake --build "$out/build" -j "$jobs"
ctest --test-dir "$out/build" --output-on-failure -j "$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build (at ${SECONDS} s)"
# -O1 and line tables only: reports still name file and line, and the build takes a fifth less.
cmake -S "$source" -B "$out/build-sanitize" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
  -DORVANTA_SANITIZE=ON -DORVANTA_FUZZ=ON -DORVANTA_BUILD_BENCH=OFF -DORVANTA_WERROR=ON "${link[@]}" \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" >/dev/null
cmake --build "$out/build-sanitize" -j "$jobs"
ctest --test-dir "$out/build-sanitize" --output-on-failure -j "$jobs"

if [[ $(id -u) -eq 0 ]]; then
  echo "== tests that need an unprivileged user (at ${SECONDS} s)"
  ./scripts/unprivileged-tests.sh run "$out/build"
fi
echo "== all passed in ${SECONDS} s"
