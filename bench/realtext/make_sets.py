#!/usr/bin/env python3
"""Makes the three real-text benchmark sets from the converted PDFs listed in the index.

usage: make_sets.py small CACHE LIBRARY_PDFS MANUAL_BYTES
       make_sets.py big CACHE BIG_WORDS EXTRA_TEXT_LIST

CACHE is the realtext cache folder (index.tsv, unpacked/, text/, sets/). "small" makes the manuals
and library sets, "big" the big text. EXTRA_TEXT_LIST names further text files, one per line,
that are used for the big text after every PDF text, in that order. A set already made with
the same inputs is left as it is. Prints what each set holds.
"""

import hashlib
import os
import shutil
import sys
from pathlib import Path

SMALL_PAGES = 5
SMALL_SHARE = 0.75
OTHER_PAGES = (6, 40)
MANUAL_PAGES = (20, 400)
MANUAL_TEXT_BYTES = (80_000, 400_000)
MIN_WORDS = 20
PART_BYTES = 128 * 1000 * 1000


class Pdf:
  def __init__(self, fields):
    (self.package, self.path, status, pages, words, size, self.md5) = fields
    self.status, self.pages, self.words, self.bytes = int(status), int(pages), int(words), int(size)
    self.rel = f"{self.package}/{self.path}"
    # A fixed shuffle: the order of the hash of the name.
    self.key = hashlib.md5(self.rel.encode()).hexdigest()


def usable_pdfs(index):
  """Converted without error, with some text, each distinct text once, in shuffled order."""
  seen = set()
  pdfs = []
  with open(index, encoding="utf-8", newline="\n") as rows:
    for row in rows:
      pdf = Pdf(row.rstrip("\n").split("\t"))
      if pdf.status != 0 or pdf.words < MIN_WORDS or pdf.md5 in seen:
        continue
      seen.add(pdf.md5)
      pdfs.append(pdf)
  pdfs.sort(key=lambda pdf: pdf.key)
  return pdfs


def link_name(number, pdf, suffix):
  base = os.path.basename(pdf.path)
  base = base[:-4] if base.lower().endswith(".pdf") else base
  return f"{number:04d}-{base}{suffix}"


def write_set(folder, description, files):
  """files: (link name, source) pairs. Rebuilds the folder when its list changed."""
  listing = "".join(f"{name}\t{source}\n" for name, source in files)
  list_file = folder / "list.tsv"
  if list_file.exists() and list_file.read_text(encoding="utf-8") == listing:
    return
  if folder.exists():
    shutil.rmtree(folder)
  folder.mkdir(parents=True)
  for name, source in files:
    target = folder / name
    target.parent.mkdir(parents=True, exist_ok=True)
    os.link(source, target)
  (folder / "about.txt").write_text(description + "\n", encoding="utf-8")
  list_file.write_text(listing, encoding="utf-8")


def summary(name, pdfs):
  pages = sum(pdf.pages for pdf in pdfs)
  small = sum(1 for pdf in pdfs if pdf.pages <= SMALL_PAGES)
  words = sum(pdf.words for pdf in pdfs)
  size = sum(pdf.bytes for pdf in pdfs)
  pdf_size = sum(pdf.pdf_bytes for pdf in pdfs)
  return (f"{name}: {len(pdfs)} PDFs ({small} of at most {SMALL_PAGES} pages), {pages} pages, "
          f"{pdf_size / 1e6:.1f} MB of PDF; text {words} words, {size / 1e6:.1f} MB")


def make_manuals(cache, pdfs, target_bytes):
  chosen = []
  total = 0
  for pdf in pdfs:
    if total >= target_bytes:
      break
    if (MANUAL_PAGES[0] <= pdf.pages <= MANUAL_PAGES[1]
        and MANUAL_TEXT_BYTES[0] <= pdf.bytes <= MANUAL_TEXT_BYTES[1]):
      chosen.append(pdf)
      total += pdf.bytes
  files = []
  for number, pdf in enumerate(chosen, 1):
    files.append((f"text/{link_name(number, pdf, '.txt')}", cache / "text" / (pdf.rel + ".txt")))
    files.append((f"pdf/{link_name(number, pdf, '.pdf')}", cache / "unpacked" / pdf.rel))
  text = summary("manuals", chosen)
  write_set(cache / "sets" / "manuals", text, files)
  return text, chosen


def make_library(cache, pdfs, count, taken):
  rest = [pdf for pdf in pdfs if pdf.rel not in taken]
  small = [pdf for pdf in rest if pdf.pages <= SMALL_PAGES]
  other = [pdf for pdf in rest if OTHER_PAGES[0] <= pdf.pages <= OTHER_PAGES[1]]
  small_count = min(len(small), round(count * SMALL_SHARE))
  chosen = small[:small_count] + other[:count - small_count]
  if len(chosen) < count:
    sys.exit(f"only {len(chosen)} PDFs fit the library set, {count} wanted")
  chosen.sort(key=lambda pdf: pdf.key)
  files = [(f"pdf/{link_name(number, pdf, '.pdf')}", cache / "unpacked" / pdf.rel)
           for number, pdf in enumerate(chosen, 1)]
  text = summary("library", chosen)
  write_set(cache / "sets" / "library", text, files)
  return text


def make_bigtext(cache, pdfs, extra_list, target_words):
  """Concatenates distinct texts into part files until target_words; each text ends a line."""
  sources = [(cache / "text" / (pdf.rel + ".txt"), pdf.words) for pdf in pdfs]
  seen = {pdf.md5 for pdf in pdfs}
  for line in Path(extra_list).read_text(encoding="utf-8").splitlines():
    path = Path(line)
    data = path.read_bytes()
    digest = hashlib.md5(data).hexdigest()
    words = len(data.split())
    if digest in seen or words < MIN_WORDS:
      continue
    seen.add(digest)
    sources.append((path, words))
  chosen = []
  words = 0
  for path, count in sources:
    if words >= target_words:
      break
    chosen.append(str(path))
    words += count
  folder = cache / "sets" / "bigtext"
  listing = "".join(f"{path}\n" for path in chosen)
  done = folder / "sources.txt"
  if not (done.exists() and done.read_text(encoding="utf-8") == listing):
    if folder.exists():
      shutil.rmtree(folder)
    folder.mkdir(parents=True)
    part, size, out = 0, 0, None
    for path in chosen:
      if out is None or size >= PART_BYTES:
        if out:
          out.close()
        part += 1
        out = open(folder / f"part-{part:02d}.txt", "wb")
        size = 0
      data = Path(path).read_bytes()
      if data and not data.endswith(b"\n"):
        data += b"\n"
      out.write(data)
      size += len(data)
    if out:
      out.close()
    done.write_text(listing, encoding="utf-8")
  parts = sorted(folder.glob("part-*.txt"))
  size = sum(part.stat().st_size for part in parts)
  from_pdfs = sum(1 for path in chosen if path.startswith(str(cache / "text")))
  text = (f"bigtext: {len(chosen)} distinct texts ({from_pdfs} from PDFs), {words} words, "
          f"{size / 1e6:.1f} MB in {len(parts)} part files")
  if words < target_words:
    text += f"; FEWER than the {target_words} words wanted"
  (folder / "about.txt").write_text(text + "\n", encoding="utf-8")
  return text


def main():
  usage = "\n".join(__doc__.strip().splitlines()[2:4])
  if len(sys.argv) != 5 or sys.argv[1] not in ("small", "big"):
    sys.exit(usage)
  cache = Path(sys.argv[2])
  pdfs = usable_pdfs(cache / "index.tsv")
  if sys.argv[1] == "small":
    library_count, manual_bytes = int(sys.argv[3]), int(sys.argv[4])
    for pdf in pdfs:
      pdf.pdf_bytes = (cache / "unpacked" / pdf.rel).stat().st_size
    manuals_text, manuals = make_manuals(cache, pdfs, manual_bytes)
    print(manuals_text)
    print(make_library(cache, pdfs, library_count, {pdf.rel for pdf in manuals}))
  else:
    print(make_bigtext(cache, pdfs, sys.argv[4], int(sys.argv[3])))


if __name__ == "__main__":
  main()
