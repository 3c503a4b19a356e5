#!/usr/bin/env bash
# Runs the tests labelled "unprivileged" as an unprivileged user. They check what permission bits
# do (unreadable files and folders), which root's access hides, so as root they skip; ./test.sh
# runs this when it runs as root, as CI does. The user, orvanta-tests, is made when missing.
# Root builds those tests from a copy of the sources in a folder the user can reach, since the
# checkout may lie where only root can (/root), and hands the build to the user, who runs them.
#
# usage: scripts/unprivileged-tests.sh          (as root)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
user=orvanta-tests

if [[ $(id -u) -ne 0 ]]; then
  echo "unprivileged-tests.sh: run it as root; as any other user the tests run in the normal suite" >&2
  exit 2
fi
if ! id -u "$user" >/dev/null 2>&1; then
  useradd --system --user-group --no-create-home --home-dir /nonexistent \
    --shell /usr/sbin/nologin "$user"
fi

work=$(mktemp -d /tmp/orvanta-unprivileged.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/source"
tar -C "$repo" --exclude='./build*' --exclude=./.git --exclude=./.cache \
  --exclude=./bench/out --exclude=./fuzz/out -cf - . | tar -C "$work/source" -xf -

# Built without optimising or debug information, and linked by lld: this build only runs a few
# tests of permissions, and it should cost little.
cmake -S "$work/source" -B "$work/build" -G Ninja -DORVANTA_WERROR=ON -DORVANTA_BUILD_BENCH=OFF \
  -DORVANTA_PACKAGE_TESTS=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O0 -DNDEBUG" \
  -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld >/dev/null
mapfile -t tests < <(ctest --test-dir "$work/build" -N -L unprivileged |
  sed -n 's/^ *Test *#[0-9]*: \(test_[a-z_]*\)$/\1/p')
if [[ ${#tests[@]} -eq 0 ]]; then
  echo "unprivileged-tests.sh: no test is labelled unprivileged" >&2
  exit 1
fi
cmake --build "$work/build" -j "$(nproc)" --target "${tests[@]}"

chmod -R a+rX "$work"
chown -R "$user:" "$work/build"
echo "Running as $user: ${tests[*]}"
runuser -u "$user" -- env QT_QPA_PLATFORM=offscreen \
  ctest --test-dir "$work/build" -L unprivileged --output-on-failure -j "$(nproc)"
