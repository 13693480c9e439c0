#!/usr/bin/env python3
"""Drives zorvex as a coprocess through pipes: writes one line, waits for its
answer, then writes the next. Output gathered into large writes must still
reach the other end before the program waits for input, so every answer
(and every error line) must arrive while the next line is still unsent.

    coprocess_test.py PATH-TO-ZORVEX
"""
import os
import select
import subprocess
import sys
import time

TIMEOUT = 5.0  # seconds to wait for an answer before calling it held back

# (line to send, standard output expected before the next prompt,
#  standard error expected for it)
DIALOGUE = [
    ("1+2", "= 3\n> ", ""),
    ("x=4", "= 4\n> ", ""),
    ("x*2", "= 8\n> ", ""),
    ("5/0", "= 5\n> ", "Error: Divide by zero!\n"),
    ("y", "= 0\n> ", "Error: Variable 'y' is undeclared. It is used as 0.0 .\n"),
    ("showvars", "\n\t\t0\npi\t\t3.14159\nrad\t\t0\nx\t\t4\n\n> ", ""),
    ("1/3", "= 0.333333\n> ", ""),
]


def read_until(stream, wanted, deadline):
    """Reads from a pipe until `wanted` has arrived; returns what was read."""
    received = b""
    while not received.endswith(wanted):
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            break
        ready, _, _ = select.select([stream], [], [], remaining)
        if not ready:
            break
        chunk = os.read(stream.fileno(), 65536)
        if not chunk:
            break
        received += chunk
    return received


def main():
    program = sys.argv[1]
    process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, bufsize=0)
    failures = 0
    banner = read_until(process.stdout, b"\n\n> ", time.monotonic() + TIMEOUT)
    if not banner.startswith(b"-" * 48) or not banner.endswith(b"\n\n> "):
        print(f"the banner and first prompt did not arrive: {banner[-80:]!r}")
        failures += 1
    for line, answer, error in DIALOGUE:
        process.stdin.write(line.encode() + b"\n")
        deadline = time.monotonic() + TIMEOUT
        if error:
            got_error = read_until(process.stderr, error.encode(), deadline)
            if got_error != error.encode():
                print(f"{line!r}: error line held back or wrong: {got_error!r}")
                failures += 1
        got = read_until(process.stdout, answer.encode(), deadline)
        if got != answer.encode():
            print(f"{line!r}: answer held back or wrong: {got!r}, expected {answer!r}")
            failures += 1
    # A line that arrives in two pieces: the program must not sit on
    # anything while it waits for the rest.
    process.stdin.write(b"2+")
    time.sleep(0.2)
    process.stdin.write(b"2\n")
    got = read_until(process.stdout, b"= 4\n> ", time.monotonic() + TIMEOUT)
    if got != b"= 4\n> ":
        print(f"line in two pieces: {got!r}")
        failures += 1
    process.stdin.write(b"exit\n")
    process.stdin.close()
    if process.wait(timeout=TIMEOUT) != 0:
        print(f"exit status {process.returncode}")
        failures += 1
    cases = len(DIALOGUE) + 3
    print(f"{cases - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
