#!/usr/bin/env bash
# Profiles orvanta-count counting lengths 2-5 over the manuals set: where its time goes.
#
# usage: bench/realtext/profile.sh [FILES]     (default: every file of the set)
#
# Run bench/realtext/build-sets.sh first. Builds orvanta-count in Release with debug symbols in
# build-prof. With hardware counters (perf stat -e instructions works) it samples them with
# perf record; without them (as in most virtual machines) it counts instructions with valgrind's
# callgrind over the first FILES manuals, and also samples the timer with perf record
# -e cpu-clock where perf is installed, since instruction counts do not show cache misses.
# Prints the top functions by own cost and by inclusive cost; the raw data is kept in the
# cache under results/profile/.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=$repo/build-prof
counter=$build/bin/orvanta-count
out=$cache/results/profile
limit=${1:-0}

[[ $limit =~ ^[0-9]+$ ]] || { say "usage: $0 [FILES]"; exit 2; }
[[ -d $cache/sets/manuals/text ]] || { say "no manuals set: run bench/realtext/build-sets.sh first"; exit 2; }

build_profiled() {
  nice -n 10 cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS=-g -DORVANTA_BUILD_TESTS=OFF >/dev/null
  nice -n 10 cmake --build "$build" -j2 --target orvanta-count >/dev/null
}

# Shortens callgrind_annotate's lines: no argument lists, no library, the file's name only.
short_names() {
  perl -ne 'next unless /^( *[\d,]+ \( *[\d.]+%\)) +(.*)$/; my ($cost, $name) = ($1, $2);
    $name =~ s/ \[[^\]]*\]$//; $name =~ s/^(?:[^ :]*\/)?([^\/ :]*):/$1:/;
    1 while $name =~ s/\([^()]*\)//g; print "$cost  $name\n"'
}

main() {
  build_profiled
  rm -rf "$out"
  mkdir -p "$out"
  local files=("$cache"/sets/manuals/text/*.txt)
  ((limit == 0 || limit >= ${#files[@]})) || files=("${files[@]:0:limit}")
  echo "${#files[@]} files, $(cat "${files[@]}" | wc -w) words, lengths $short_lengths"

  if perf stat -e instructions true >/dev/null 2>&1 &&
    ! perf stat -e instructions true 2>&1 | grep -q 'not supported'; then
    nice -n 10 perf record -g -o "$out/perf.data" "$counter" -l "$short_lengths" "${files[@]}" \
      >/dev/null 2>"$out/perf.log"
    perf report -i "$out/perf.data" --no-children --sort symbol --stdio 2>/dev/null |
      grep -E '^ +[0-9.]+%' | head -n 25
    return
  fi

  echo "no hardware counters: callgrind (instructions)"
  nice -n 10 valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" \
    "$counter" -l "$short_lengths" "${files[@]}" >/dev/null 2>"$out/callgrind.log"
  echo
  echo "own instructions, by function (inlined code counts where it was written):"
  callgrind_annotate "$out/callgrind.out" 2>/dev/null | short_names | sed -n '2,26p'
  echo
  echo "inclusive instructions, by function:"
  callgrind_annotate --inclusive=yes "$out/callgrind.out" 2>/dev/null | short_names |
    sed -n '2,36p'

  if command -v perf >/dev/null; then
    echo
    echo "perf record -e cpu-clock (time samples), by function:"
    nice -n 10 perf record -e cpu-clock -F 4000 -g -o "$out/perf.data" "$counter" \
      -l "$short_lengths" "${files[@]}" >/dev/null 2>"$out/perf.log"
    perf report -i "$out/perf.data" --no-children --sort symbol --stdio -g none 2>/dev/null |
      grep -E '^ +[0-9.]+%' | head -n 25
  fi
}

main
