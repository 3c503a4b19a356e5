#!/usr/bin/env python3
"""Converts a list of PDFs to text with JOBS converters at once and times it.

usage: convert_pool.py pdftotext|worker JOBS LIST OUT [WORKER]

LIST holds one PDF path per line. The text of the n-th PDF (from 1) is written to
OUT/NNNNN.txt, and OUT/status.tsv gets "n<TAB>exit status<TAB>seconds<TAB>cpu seconds" per
PDF, where seconds is how long that one conversion took and cpu seconds the CPU time of its
pdftotext process ("-" for the worker, whose CPU time is not split by file). "pdftotext" starts one pdftotext process per
PDF (default options, as orvanta-count runs it); "worker" starts JOBS long-lived WORKER
processes (orvanta-convert) and hands each the next path as soon as it answered the
last, as a window would. A worker that dies is named and started again, so a PDF that
crashes it costs that one file only. Prints one line: files, wall seconds, the sum of the
per-PDF seconds and the statuses other than 0.
"""

import os
import queue
import subprocess
import sys
import threading
import time
from pathlib import Path


def run_pdftotext(jobs, out, results):
  while True:
    try:
      number, path = jobs.get_nowait()
    except queue.Empty:
      return
    start = time.perf_counter()
    child = subprocess.Popen(["pdftotext", path, str(out / f"{number:05d}.txt")],
                             stderr=subprocess.DEVNULL)
    # wait4 gives the child's own CPU time, which other work on the machine barely changes.
    _, wait_status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(wait_status)
    results.append((number, child.returncode, time.perf_counter() - start,
                    usage.ru_utime + usage.ru_stime))


def start_worker(program):
  return subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, bufsize=0)


def read_exactly(stream, size):
  chunks = []
  while size > 0:
    chunk = stream.read(size)
    if not chunk:
      raise EOFError
    chunks.append(chunk)
    size -= len(chunk)
  return b"".join(chunks)


def read_answer(stdout):
  """The worker's records up to its status: text pieces ("t LENGTH"), then "s STATUS"."""
  pieces = []
  while True:
    header = stdout.readline()
    if not header:
      raise EOFError
    kind, number = header.split()
    if kind == b"s":
      return int(number), b"".join(pieces)
    if kind != b"t":
      raise ValueError(header)
    pieces.append(read_exactly(stdout, int(number)))


def run_worker(program, jobs, out, results):
  worker = start_worker(program)
  stdout = worker.stdout
  try:
    while True:
      try:
        number, path = jobs.get_nowait()
      except queue.Empty:
        return
      start = time.perf_counter()
      try:
        encoded = path.encode()
        worker.stdin.write(f"text 0 {len(encoded)} 0\n".encode() + encoded)
        worker.stdin.flush()
        status, text = read_answer(stdout)
      except (EOFError, BrokenPipeError, ValueError):
        worker.wait()
        print(f"worker stopped ({worker.returncode}) on {path}", file=sys.stderr)
        results.append((number, -1, time.perf_counter() - start, None))
        worker = start_worker(program)
        stdout = worker.stdout
        continue
      # pdftotext writes no file for a PDF it cannot open.
      if status == 0:
        (out / f"{number:05d}.txt").write_bytes(text)
      results.append((number, status, time.perf_counter() - start, None))
  finally:
    worker.stdin.close()
    worker.wait()


def main():
  if len(sys.argv) not in (5, 6) or sys.argv[1] not in ("pdftotext", "worker"):
    sys.exit(__doc__.strip().splitlines()[2])
  mode, count, list_file, out = sys.argv[1], int(sys.argv[2]), sys.argv[3], Path(sys.argv[4])
  if mode == "worker" and len(sys.argv) != 6:
    sys.exit("worker mode needs the worker program")
  paths = Path(list_file).read_text(encoding="utf-8").splitlines()
  out.mkdir(parents=True, exist_ok=True)
  jobs = queue.Queue()
  for number, path in enumerate(paths, 1):
    jobs.put((number, os.path.abspath(path)))
  results = []
  if mode == "pdftotext":
    target, arguments = run_pdftotext, (jobs, out, results)
  else:
    target, arguments = run_worker, (sys.argv[5], jobs, out, results)
  start = time.perf_counter()
  threads = [threading.Thread(target=target, args=arguments) for _ in range(count)]
  for thread in threads:
    thread.start()
  for thread in threads:
    thread.join()
  wall = time.perf_counter() - start
  results.sort()
  with open(out / "status.tsv", "w", encoding="utf-8") as status_file:
    for number, status, seconds, cpu in results:
      cpu_text = "-" if cpu is None else f"{cpu:.6f}"
      status_file.write(f"{number}\t{status}\t{seconds:.6f}\t{cpu_text}\n")
  failed = sum(1 for result in results if result[1] != 0)
  line = (f"{mode} x{count}: {len(results)} files, wall {wall:.2f} s, "
          f"sum of per-file {sum(result[2] for result in results):.2f} s")
  if mode == "pdftotext":
    line += f" (cpu {sum(result[3] for result in results):.2f} s)"
  print(f"{line}, {failed} not converted")


if __name__ == "__main__":
  main()
