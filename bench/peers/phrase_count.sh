#!/usr/bin/env bash
# Counts repeated phrases with awk | sort | uniq -c and prints them as orvanta-count does.
#
# usage: phrase_count.sh [-l LIST] [--no-header] FILE...
#
# gawk splits and lower-cases in the C.UTF-8 locale, so letters beyond ASCII fold as well (by
# simple one-to-one case mapping); sorting and counting run in the C locale, which orders by
# byte, and UTF-8 byte order is code point order.
set -euo pipefail

lengths=4
header=1
while [[ $# -gt 0 ]]; do
  case $1 in
    -l | --lengths) lengths=$2; shift 2 ;;
    --no-header) header=0; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[[ $# -gt 0 ]] || { echo "usage: $0 [-l LIST] [--no-header] FILE..." >&2; exit 2; }

# Every phrase of every requested length, one per line.
emit_phrases() {
  LC_ALL=C.UTF-8 gawk -v lengths="$lengths" '
    BEGIN {
      RS = "[\n\f]" # a form feed ends a line, as a page break does in orvanta-count
      for (i = split(lengths, typed, /[, ]+/); i > 0; i--)
        if (typed[i] + 0 >= 1) wanted[typed[i] + 0] = typed[i] + 0
    }
    {
      count = 0
      fields = split(tolower($0), field, /[ \t\r]+/)
      for (i = 1; i <= fields; i++)
        if (field[i] != "") word[++count] = field[i]
      for (key in wanted) {
        n = wanted[key]
        for (start = 1; start + n - 1 <= count; start++) {
          phrase = word[start]
          for (k = 1; k < n; k++) phrase = phrase " " word[start + k]
          print phrase
        }
      }
    }' "$@"
}

# "  COUNT PHRASE" from uniq -c to "PHRASE<TAB>WORDS<TAB>COUNT" for counts of two or more.
repeated_rows() {
  LC_ALL=C awk '{
    sub(/^ +/, "")
    space = index($0, " ")
    count = substr($0, 1, space - 1) + 0
    if (count < 2) next
    phrase = substr($0, space + 1)
    copy = phrase
    print phrase "\t" gsub(/ /, " ", copy) + 1 "\t" count
  }'
}

[[ $header -eq 0 ]] || printf 'phrase\twords\tfrequency\n'
emit_phrases "$@" | LC_ALL=C sort | LC_ALL=C uniq -c | repeated_rows |
  LC_ALL=C sort -t $'\t' -k3,3n -k1,1
