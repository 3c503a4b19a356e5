#!/usr/bin/env bash
# Runs the tests labelled "unprivileged" as an unprivileged user. They check what permission bits
# do (unreadable files and folders), which root's access hides, so as root they skip; ./test.sh
# runs this when it runs as root, as CI does. The user, orvanta-tests, is made when missing.
# The checkout may lie where only root can go (/root), so the tests are built from a copy of the
# sources in a folder the user can reach: ./test.sh makes its builds there when run as root.
#
# usage (as root):
#   scripts/unprivileged-tests.sh               copies the sources, builds these tests, runs them
#   scripts/unprivileged-tests.sh copy          copies the sources, prints the folder they are in
#   scripts/unprivileged-tests.sh run BUILD     runs them from a build of that copy
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
user=orvanta-tests

if [[ $(id -u) -ne 0 ]]; then
  echo "unprivileged-tests.sh: run it as root; as any other user the tests run in the normal suite" >&2
  exit 2
fi

# A folder of its own for each checkout, below one only root may change, kept between runs so
# builds there are incremental; the sources keep their times, so unchanged files are not rebuilt.
copy_sources() {
  local tree
  tree=/var/lib/orvanta-tests/$(printf '%s' "$repo" | sha1sum | cut -c1-12)
  install -d -m 755 /var/lib/orvanta-tests "$tree"
  rm -rf "$tree/source"
  mkdir "$tree/source"
  tar -C "$repo" --exclude='./build*' --exclude=./.git --exclude=./.cache \
    --exclude=./bench/out --exclude=./fuzz/out -cf - . | tar -C "$tree/source" -xf -
  chmod -R a+rX "$tree/source"
  echo "$tree"
}

labelled_tests() {
  ctest --test-dir "$1" -N -L unprivileged | sed -n 's/^ *Test *#[0-9]*: \(test_[a-z_]*\)$/\1/p'
}

run_tests() {
  local build=$1
  if ! id -u "$user" >/dev/null 2>&1; then
    useradd --system --user-group --no-create-home --home-dir /nonexistent \
      --shell /usr/sbin/nologin "$user"
  fi
  if [[ -z $(labelled_tests "$build") ]]; then
    echo "unprivileged-tests.sh: no test is labelled unprivileged" >&2
    exit 1
  fi
  # Root makes the PDF fixtures into the build; the user only reads them.
  ctest --test-dir "$build" -R '^make_fixtures$' --output-on-failure >/dev/null
  chmod -R a+rX "$build"
  # The user writes only where CTest keeps its logs and in the tests' home.
  install -d -o "$user" "$build/Testing" "$build/test-home"
  chown -R "$user:" "$build/Testing" "$build/test-home"
  echo "Running as $user: $(labelled_tests "$build" | tr '\n' ' ')"
  runuser -u "$user" -- env QT_QPA_PLATFORM=offscreen \
    ctest --test-dir "$build" -L unprivileged --fixture-exclude-setup '.*' --output-on-failure \
    -j "$(nproc)"
}

case ${1:-} in
  copy) copy_sources ;;
  run) run_tests "$2" ;;
  "")
    tree=$(copy_sources)
    cmake -S "$tree/source" -B "$tree/build" -G Ninja -DORVANTA_WERROR=ON \
      -DORVANTA_BUILD_BENCH=OFF -DORVANTA_PACKAGE_TESTS=OFF \
      -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld >/dev/null
    mapfile -t tests < <(labelled_tests "$tree/build")
    cmake --build "$tree/build" -j "$(nproc)" --target "${tests[@]}"
    run_tests "$tree/build"
    ;;
  *)
    echo "usage: unprivileged-tests.sh [copy | run BUILD]" >&2
    exit 2
    ;;
esac
