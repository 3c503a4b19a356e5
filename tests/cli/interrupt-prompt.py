#!/usr/bin/env python3
"""Runs orvanta-count --ask-password on a terminal of its own, presses Ctrl-C at the prompt and
prints the exit code and whether the terminal echoes again ("130 1" is what is wanted).

    interrupt-prompt.py ORVANTA_COUNT PDF
"""
import os
import pty
import sys
import termios
import time

program, pdf = sys.argv[1], sys.argv[2]
pid, terminal = pty.fork()
if pid == 0:
    os.execv(program, [program, "--ask-password", pdf])

seen = b""
deadline = time.time() + 30
while b"Enter password" not in seen and time.time() < deadline:
    try:
        seen += os.read(terminal, 1024)
    except OSError:
        break
time.sleep(0.3)  # the echo is off once the prompt waits
echo_while_asking = bool(termios.tcgetattr(terminal)[3] & termios.ECHO)
os.write(terminal, b"\x03")
_, status = os.waitpid(pid, 0)
echo_after = bool(termios.tcgetattr(terminal)[3] & termios.ECHO)
print(os.waitstatus_to_exitcode(status), int(echo_after), int(echo_while_asking))
