#!/usr/bin/env bash
# fuzz/run-fuzzers.sh SECONDS [TARGET...]: builds the fuzz targets with clang (AddressSanitizer
# and UndefinedBehaviorSanitizer on) and runs each for SECONDS, all of them when none is named.
# Inputs that reach new code are merged into fuzz/corpus/TARGET; crashes and logs go to
# fuzz/out/. Prints executions and findings per target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run-fuzzers.sh SECONDS [TARGET...]}
shift
build=${ORVANTA_FUZZ_BUILD:-build-fuzz}

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DORVANTA_SANITIZE=ON \
  -DORVANTA_FUZZ=ON -DORVANTA_BUILD_BENCH=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
fi
cmake --build "$build" --target "${targets[@]}" >/dev/null

mkdir -p fuzz/out
status=0
for target in "${targets[@]}"; do
  corpus=fuzz/corpus/$target
  scratch=$(mktemp -d)
  mkdir -p "$corpus"
  log=fuzz/out/$target.log
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="fuzz/out/$target-" "$scratch" "$corpus" >"$log" 2>&1 \
    || status=1
  "$build/fuzz/$target" -merge=1 "$corpus" "$scratch" >>"$log" 2>&1 || true
  rm -rf "$scratch"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  findings=$(find fuzz/out -name "$target-*" | wc -l)
  printf '%-24s %10s executions  %s saved inputs  %s findings\n' \
    "$target" "${runs:-?}" "$(ls "$corpus" | wc -l)" "$findings"
done
exit $status
