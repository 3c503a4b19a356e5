#!/usr/bin/env python3
"""Turns HTML documentation pages into plain text lines, wrapped the way pdftotext breaks lines.

usage: html_text.py ROOT OUT      (reads NUL-separated paths below ROOT from stdin)

Each PATH (relative to ROOT; .html, .htm or either with .gz) becomes OUT/PATH.txt: the text of
the page without scripts and styles, a line break at every block element, runs of spaces
collapsed and lines wrapped at 80 columns (preformatted text keeps its lines). A text already
there is kept. Prints the paths of the texts, one per line, in the order given.
"""

import gzip
import sys
from html.parser import HTMLParser
from pathlib import Path

WIDTH = 80
BLOCKS = {
  "address", "article", "aside", "blockquote", "br", "caption", "dd", "div", "dl", "dt",
  "figcaption", "figure", "footer", "h1", "h2", "h3", "h4", "h5", "h6", "header", "hr", "li",
  "main", "nav", "ol", "p", "pre", "section", "table", "td", "th", "title", "tr", "ul",
}
SKIPPED = {"script", "style", "template"}


class TextParser(HTMLParser):
  def __init__(self):
    super().__init__(convert_charrefs=True)
    self.lines = []
    self.words = []
    self.skipping = 0
    self.preformatted = 0

  def flush(self):
    line, size = [], 0
    for word in self.words:
      if line and size + 1 + len(word) > WIDTH:
        self.lines.append(" ".join(line))
        line, size = [], 0
      size += len(word) + (1 if line else 0)
      line.append(word)
    if line:
      self.lines.append(" ".join(line))
    self.words = []

  def handle_starttag(self, tag, attrs):
    if tag in SKIPPED:
      self.skipping += 1
    elif tag in BLOCKS:
      self.flush()
      if tag == "pre":
        self.preformatted += 1

  def handle_endtag(self, tag):
    if tag in SKIPPED:
      self.skipping = max(0, self.skipping - 1)
    elif tag in BLOCKS:
      self.flush()
      if tag == "pre":
        self.preformatted = max(0, self.preformatted - 1)

  def handle_data(self, data):
    if self.skipping:
      return
    if self.preformatted:
      self.flush()
      self.lines.extend(line.rstrip() for line in data.split("\n") if line.strip())
    else:
      self.words.extend(data.split())

  def text(self):
    self.close()
    self.flush()
    return "".join(line + "\n" for line in self.lines)


def main():
  if len(sys.argv) != 3:
    sys.exit(__doc__.strip().splitlines()[2])
  root, out = Path(sys.argv[1]), Path(sys.argv[2])
  for rel in sys.stdin.buffer.read().decode("utf-8", "surrogateescape").split("\0"):
    if not rel:
      continue
    target = out / (rel + ".txt")
    if not target.exists():
      data = (root / rel).read_bytes()
      if rel.endswith(".gz"):
        data = gzip.decompress(data)
      parser = TextParser()
      parser.feed(data.decode("utf-8", "replace"))
      target.parent.mkdir(parents=True, exist_ok=True)
      part = target.with_name(target.name + ".part")
      part.write_text(parser.text(), encoding="utf-8")
      part.rename(target)
    print(target)


if __name__ == "__main__":
  main()
