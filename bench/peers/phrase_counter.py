#!/usr/bin/env python3
"""Counts repeated phrases with collections.Counter and prints them as orvanta-count does.

A word is a run of characters other than space, tab and CR; phrases are n consecutive words of
one line, lower-cased, joined by single spaces. Rows: phrases seen at least twice, ascending
frequency, then ascending phrase by code point.

Lower-casing is Python's str.lower(). It agrees with orvanta-count except for the few
characters whose lower case depends on context or expands (final sigma, dotted capital I).
"""

import argparse
import re
import sys
from collections import Counter

WORD = re.compile(r"[^ \t\r]+")


def parse_lengths(text):
  """Whole-number lengths separated by commas or spaces; repeats and lengths below 1 dropped."""
  lengths = []
  for entry in re.split(r"[, ]+", text.strip(" ,")):
    length = int(entry)
    if length >= 1 and length not in lengths:
      lengths.append(length)
  return lengths


def count_phrases(paths, lengths):
  counts = Counter()
  for path in paths:
    with open(path, encoding="utf-8", errors="replace", newline="\n") as lines:
      for line in lines:
        for part in line.rstrip("\n").split("\f"):  # a form feed ends a line too
          words = WORD.findall(part.lower())
          for n in lengths:
            counts.update(zip(*(words[i:] for i in range(n))))
  return counts


def repeated_rows(counts):
  rows = [(frequency, " ".join(words), len(words))
          for words, frequency in counts.items() if frequency >= 2]
  rows.sort()
  return rows


def main():
  parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
  parser.add_argument("-l", "--lengths", default="4")
  parser.add_argument("--no-header", action="store_true")
  parser.add_argument("files", nargs="+")
  args = parser.parse_args()

  out = open(sys.stdout.fileno(), "w", encoding="utf-8", newline="\n", buffering=1 << 20,
             closefd=False)
  with out:
    if not args.no_header:
      out.write("phrase\twords\tfrequency\n")
    for frequency, phrase, length in repeated_rows(count_phrases(args.files, parse_lengths(
        args.lengths))):
      out.write(f"{phrase}\t{length}\t{frequency}\n")


if __name__ == "__main__":
  main()
