#!/usr/bin/env python3
"""Writes a deterministic text that looks like converted documents, for benchmarks.

Words follow a Zipf distribution over a generated vocabulary (short forms are the frequent
ones). Sentences start with a capital, some words are names or acronyms, punctuation sticks to
words, a few words carry accented letters so that case folding goes beyond ASCII. Lines hold 8
to 14 words, now and then separated by a tab or two spaces. Pages start with a form feed and a
running header, some lines end in CR LF, and a few sentences repeat earlier ones, as quoted
passages and boilerplate do in real documents.

Only characters whose lower case is the same in Qt, Python and gawk are used: no Greek
capital sigma, no dotted capital I, no sharp s.
"""

import argparse
import bisect
import itertools
import random
import sys

ONSETS = ["", "b", "c", "d", "f", "g", "h", "l", "m", "n", "p", "r", "s", "t", "v", "w",
          "br", "ch", "cl", "dr", "fr", "gr", "pl", "pr", "sh", "st", "th", "tr", "qu"]
VOWELS = ["a", "e", "i", "o", "u", "ai", "ea", "ou", "ie", "é", "ü", "ø", "à"]
CODAS = ["", "", "", "n", "r", "s", "t", "l", "m", "nd", "st", "rk", "ng", "ñ"]
ACCENTED = set("éüøàñ")

TRAILING_PUNCTUATION = [",", ",", ",", ";", ":", ")", "'s", "\""]
SENTENCE_ENDS = [".", ".", ".", ".", "?", "!"]
LEADING_PUNCTUATION = ["(", "\"", "'"]


def make_vocabulary(rng, size):
  """Distinct word forms, shortest first, with mostly plain ASCII among the frequent ones."""
  forms = set()
  while len(forms) < size:
    syllables = rng.choices([1, 2, 3, 4], weights=[3, 5, 3, 1])[0]
    form = "".join(rng.choice(ONSETS) + rng.choice(VOWELS) + rng.choice(CODAS)
                   for _ in range(syllables))
    if len(form) >= 2 or rng.random() < 0.05:
      forms.add(form)
  ordered = sorted(forms)  # sets have no stable order across runs
  rng.shuffle(ordered)
  ordered.sort(key=lambda w: len(w) + 3 * sum(c in ACCENTED for c in w))
  return ordered


def zipf_weights(size, exponent):
  return list(itertools.accumulate(1.0 / (rank ** exponent) for rank in range(1, size + 1)))


class TextMaker:
  def __init__(self, seed, vocabulary_size):
    self.rng = random.Random(seed)
    self.vocabulary = make_vocabulary(self.rng, vocabulary_size)
    self.cumulative = zipf_weights(vocabulary_size, 1.05)
    names = self.rng.sample(self.vocabulary[200:5000], 300)
    self.names = set(names)
    self.acronyms = set(self.rng.sample(self.vocabulary[100:3000], 40))
    self.headers = [self.sentence(self.rng.randint(3, 7)) for _ in range(6)]
    self.remembered = []

  def word(self):
    total = self.cumulative[-1]
    rank = bisect.bisect_left(self.cumulative, self.rng.random() * total)
    word = self.vocabulary[min(rank, len(self.vocabulary) - 1)]
    if word in self.acronyms:
      return word.upper()
    if word in self.names:
      return word.capitalize()
    return word

  def sentence(self, length):
    words = [self.word() for _ in range(length)]
    words[0] = words[0][:1].upper() + words[0][1:]
    for i in range(length - 1):
      roll = self.rng.random()
      if roll < 0.06:
        words[i] += self.rng.choice(TRAILING_PUNCTUATION)
      elif roll < 0.075:
        words[i + 1] = self.rng.choice(LEADING_PUNCTUATION) + words[i + 1]
      elif roll < 0.08:
        words[i] = str(self.rng.randint(1, 2024))
    words[-1] += self.rng.choice(SENTENCE_ENDS)
    return words

  def sentences(self):
    """Yields word lists of sentences, some of them repeats of earlier ones."""
    while True:
      if self.remembered and self.rng.random() < 0.03:
        yield self.rng.choice(self.remembered)
        continue
      words = self.sentence(self.rng.randint(4, 24))
      if self.rng.random() < 0.01:
        self.remembered.append(words)
      yield words

  def separator(self):
    roll = self.rng.random()
    if roll < 0.01:
      return "\t"
    if roll < 0.02:
      return "  "
    return " "

  def line(self, words):
    text = words[0]
    for word in words[1:]:
      text += self.separator() + word
    if self.rng.random() < 0.01:
      text = " " + text
    return text

  def lines(self, word_count):
    """Yields (text, line end) pairs holding exactly word_count words."""
    stream = itertools.chain.from_iterable(self.sentences())
    written = 0
    lines_on_page = 0
    while written < word_count:
      if lines_on_page == 0:
        header = self.rng.choice(self.headers)[: word_count - written]
        written += len(header)
        lines_on_page = self.rng.randint(30, 50)
        yield "\f" + self.line(header).lstrip(" "), "\n"
        continue
      take = min(self.rng.randint(8, 14), word_count - written)
      words = list(itertools.islice(stream, take))
      written += take
      lines_on_page -= 1
      yield self.line(words), "\r\n" if self.rng.random() < 0.02 else "\n"
      if self.rng.random() < 0.03:
        yield "", "\n"


def main():
  parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
  parser.add_argument("words", type=int, help="number of words to write")
  parser.add_argument("-o", "--output", help="file to write (default: standard output)")
  parser.add_argument("--seed", type=int, default=20240607)
  parser.add_argument("--vocabulary", type=int, default=50000, help="distinct word forms")
  args = parser.parse_args()

  maker = TextMaker(args.seed, args.vocabulary)
  if args.output:
    out = open(args.output, "w", encoding="utf-8", newline="")
  else:
    sys.stdout.reconfigure(encoding="utf-8", newline="")
    out = sys.stdout
  with out:
    out.writelines(text + end for text, end in maker.lines(args.words))


if __name__ == "__main__":
  main()
