#!/usr/bin/env bash
# Checks the conversion worker (orvanta-convert) against pdftotext: its text
# must be byte for byte pdftotext's on every PDF of the manuals and library sets, and it is timed
# against pdftotext one process per PDF, both with one converter per core, on the library set.
#
# usage: bench/realtext/worker-check.sh [BUILD_DIR]     (default build-rel in the repository)
#
# Run bench/realtext/build-sets.sh first; build orvanta-convert in BUILD_DIR.
# ROUNDS (default 3) timed rounds on the library set, pdftotext and the worker taking turns;
# the conversions of the identity check are the first round. Then one sequential run of each
# (one converter) on the library set. CPU time is user + system of the pool and everything it
# started, which other work on a shared machine changes far less than wall time. Results are
# kept in the cache under results/worker/.
set -euo pipefail

# shellcheck source=bench/realtext/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=${1:-$repo/build-rel}
worker=$build/bin/orvanta-convert
out=$cache/results/worker
rounds=${ROUNDS:-3}
jobs=$(nproc)

[[ -d $cache/sets/library/pdf ]] || { say "no sets: run bench/realtext/build-sets.sh first"; exit 2; }
[[ $rounds =~ ^[1-9]$ ]] || { say "ROUNDS must be 1 to 9"; exit 2; }

# pool MODE JOBS SET FOLDER: converts the set's PDFs into out/FOLDER and appends
# "SET MODE JOBS wall cpu" to out/times.tsv (CPU: user + system of the pool and its children).
pool() {
  local mode=$1 jobs=$2 set=$3 folder=$4
  say "$set: $mode x$jobs"
  nice -n 10 /usr/bin/time -f '%e %U %S' -o "$out/$folder.time" \
    python3 "$realtext_dir/convert_pool.py" "$mode" "$jobs" "$out/$set.list" "$out/$folder" \
    "$worker" >&2
  awk -v head="$set $mode $jobs" '{ print head, $1, $2 + $3 }' "$out/$folder.time" \
    >>"$out/times.tsv"
}

# compare SET: counts identical and different texts of pdftotext and the worker, shows a diff
# of up to three that differ.
compare() {
  local set=$1 same=0 differ=0 status_differ=0 number shown=0 a b
  local total
  total=$(wc -l <"$out/$set.list")
  for ((number = 1; number <= total; number++)); do
    a=$out/$set-pdftotext/$(printf '%05d' "$number").txt
    b=$out/$set-worker/$(printf '%05d' "$number").txt
    if [[ ! -f $a && ! -f $b ]]; then
      same=$((same + 1))
    elif [[ ! -f $a || ! -f $b ]]; then
      status_differ=$((status_differ + 1))
    elif cmp -s "$a" "$b"; then
      same=$((same + 1))
    else
      differ=$((differ + 1))
      if ((shown < 3)); then
        shown=$((shown + 1))
        say "DIFFERENT: $(sed -n "${number}p" "$out/$set.list")"
        diff "$a" "$b" | head -n 10 >&2 || true
      fi
    fi
  done
  if ! cmp -s <(cut -f1,2 "$out/$set-pdftotext/status.tsv") \
    <(cut -f1,2 "$out/$set-worker/status.tsv"); then
    say "exit statuses differ in $set"
    status_differ=$((status_differ + 1))
  fi
  echo "$set: $total PDFs, $same identical, $differ different, $status_differ with another outcome"
  [[ $differ -eq 0 && $status_differ -eq 0 ]]
}

# summary MODE JOBS: min and median wall and CPU seconds of the library runs.
summary() {
  awk -v mode="$1" -v jobs="$2" '$1 == "library" && $2 == mode && $3 == jobs {
      n++; wall[n] = $4; cpu[n] = $5; each = each " " $4 }
    END {
      asort(wall); asort(cpu)
      printf "%-16s wall min %7.2f median %7.2f   cpu min %7.2f median %7.2f   (wall each:%s)\n",
        mode " x" jobs, wall[1], wall[int((n + 1) / 2)], cpu[1], cpu[int((n + 1) / 2)], each
    }' "$out/times.tsv"
}

# speedup JOBS: pdftotext over the worker, min wall and min CPU of the library runs.
speedup() {
  awk -v jobs="$1" '$1 == "library" && $3 == jobs {
      if (!($2 in wall) || $4 < wall[$2]) wall[$2] = $4
      if (!($2 in cpu) || $5 < cpu[$2]) cpu[$2] = $5 }
    END {
      printf "worker speed-up with %d converters: wall %.2fx, cpu %.2fx\n", jobs,
        wall["pdftotext"] / wall["worker"], cpu["pdftotext"] / cpu["worker"]
    }' "$out/times.tsv"
}

main() {
  build_release "$build" orvanta-convert
  [[ -x $worker ]] || { say "no worker built: install libpoppler-private-dev"; exit 2; }
  rm -rf "$out"
  mkdir -p "$out"
  printf '%s\n' "$cache"/sets/manuals/pdf/*.pdf >"$out/manuals.list"
  printf '%s\n' "$cache"/sets/library/pdf/*.pdf >"$out/library.list"
  echo "$jobs cores, load $(cut -d' ' -f1-3 /proc/loadavg); $(pdftotext -v 2>&1 | head -n 1)"

  local status=0 set round
  for set in manuals library; do
    pool pdftotext "$jobs" "$set" "$set-pdftotext"
    pool worker "$jobs" "$set" "$set-worker"
    compare "$set" | tee -a "$out/identity.txt" || status=1
  done
  for ((round = 2; round <= rounds; round++)); do
    pool pdftotext "$jobs" library "round-pdftotext"
    pool worker "$jobs" library "round-worker"
    rm -rf "$out/round-pdftotext" "$out/round-worker"
  done
  pool pdftotext 1 library "one-pdftotext"
  pool worker 1 library "one-worker"

  echo
  cat "$out/identity.txt"
  echo "library set: $(cat "$cache/sets/library/about.txt")"
  summary pdftotext "$jobs"
  summary worker "$jobs"
  summary pdftotext 1
  summary worker 1
  speedup "$jobs"
  speedup 1
  if [[ $status -eq 0 ]]; then
    echo "identical on every PDF of both sets"
  else
    echo "NOT IDENTICAL: see above"
  fi
  echo "results: $out"
  return $status
}

main
