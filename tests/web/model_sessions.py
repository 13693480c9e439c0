#!/usr/bin/python3
"""Writes random sessions of the model's line generator as JSON for the
browser test: a list of texts, one per session, each line ended by a line
feed (or CR LF), with each byte of a generated line as the character of the
same code (the page sends characters, the test gives the program their
UTF-8 bytes).

    model_sessions.py --count N --seed S --lines-per-session K
"""

import argparse
import json
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "model"))

import differential  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=3000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--lines-per-session", type=int, default=100)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    gen = differential.LineGenerator(rng)
    sessions = []
    made = 0
    while made < args.count:
        batch = differential.make_batch(gen, rng, min(args.lines_per_session, args.count - made))
        made += len(batch)
        text = ""
        for line, end in batch:
            # A line the page is given whole ends with a line end; what
            # follows the last line end of a paste waits in the line.
            text += line.decode("latin-1") + (end.decode("latin-1") if end.endswith(b"\n") else
                                              end.decode("latin-1") + "\n")
        sessions.append(text)
    json.dump(sessions, sys.stdout)


if __name__ == "__main__":
    main()
