#!/usr/bin/env python3
"""Converts PDFs of the cache with pdftotext, JOBS at a time, and writes each one's index row.

usage: convert_cache.py ROOT TEXT_ROOT JOBS     (NUL-separated PACKAGE/PATH.pdf on stdin)

Runs "pdftotext ROOT/PACKAGE/PATH.pdf TEXT_ROOT/PACKAGE/PATH.pdf.txt" (default options, as
orvanta-count runs it), then writes TEXT_ROOT/PACKAGE/PATH.pdf.txt.row: package, path in the
package, exit status, pages (form feeds), words, bytes and md5 of the text, tab-separated. The
row is written last, so a PDF with a row is done. A PDF that fails keeps its exit status and an
empty text; one that takes over two minutes is stopped (status -9).
"""

import hashlib
import os
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

TIME_LIMIT = 120


def convert(root, text_root, rel):
  text = text_root / (rel + ".txt")
  text.parent.mkdir(parents=True, exist_ok=True)
  part = text.with_name(text.name + ".part")
  try:
    status = subprocess.run(["pdftotext", str(root / rel), str(part)], stderr=subprocess.DEVNULL,
                            timeout=TIME_LIMIT).returncode
  except subprocess.TimeoutExpired:
    status = -9
  if not part.exists() or status != 0:
    part.write_bytes(b"")
  data = part.read_bytes()
  os.replace(part, text)
  package, path = rel.split("/", 1)
  row = "\t".join((package, path, str(status), str(data.count(b"\f")), str(len(data.split())),
                   str(len(data)), hashlib.md5(data).hexdigest()))
  text.with_name(text.name + ".row").write_text(row + "\n", encoding="utf-8")


def main():
  if len(sys.argv) != 4:
    sys.exit(__doc__.strip().splitlines()[2])
  root, text_root, jobs = Path(sys.argv[1]), Path(sys.argv[2]), int(sys.argv[3])
  paths = [path for path in sys.stdin.buffer.read().decode("utf-8", "surrogateescape").split("\0")
           if path]
  with ThreadPoolExecutor(jobs) as pool:
    for done in pool.map(lambda rel: convert(root, text_root, rel), paths):
      pass


if __name__ == "__main__":
  main()
