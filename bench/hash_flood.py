#!/usr/bin/env python3
"""Times variable names crafted to pile up in the variable index against
ordinary names of the same length and number.

The crafted names all land on one narrow run of slots under the fixed,
unkeyed hash the index once used (reproduced below); with that hash a
script of them takes quadratic time. Under a keyed hash whose key the
script cannot know, they cost what ordinary names cost.

    bench/hash_flood.py BINARY [--count N] [--runs R] [--workdir DIR]

Prints both timings and whether the crafted script stays within 3x of the
ordinary one; exits 1 when it does not or an output is wrong.
"""
import argparse
import itertools
import os
import statistics
import subprocess
import sys
import time

MASK64 = (1 << 64) - 1
LETTERS = [ord(c) for c in "abcdefghijklmnopqrstuvwxyz"]
LIMIT = 3.0  # crafted names may cost at most this many times ordinary ones


def unkeyed_prefix_hash(state):
    """The fixed mix the former hash applied after its FNV-1a pass over
    every unit but the last; the last unit was then added to the result."""
    state ^= state >> 29
    state = (state * 0xbf58476d1ce4e5b9) & MASK64
    return state ^ (state >> 32)


def crafted_names(count, slot_bits, window=4096, length=7):
    """`count` names of `length` letters whose unkeyed hashes all fall in
    one window of `window` slots of any index of up to 2^slot_bits slots:
    prefixes are searched for a hash in the window, and each good prefix
    gives 26 names (the last letter only moves the slot by a few)."""
    names = []
    mask = (1 << slot_bits) - 1
    for head in itertools.product(LETTERS, repeat=length - 2):
        state = 14695981039346656037
        for unit in head:
            state = ((state ^ unit) * 1099511628211) & MASK64
        for unit in LETTERS:
            if unkeyed_prefix_hash(((state ^ unit) * 1099511628211) & MASK64) & mask < window:
                prefix = bytes(head).decode() + chr(unit)
                names.extend(prefix + chr(last) for last in LETTERS)
                if len(names) >= count:
                    return names[:count]
    raise RuntimeError("not enough crafted names")


def ordinary_names(count, length=7):
    """`count` distinct names of `length` letters, counted up from zz...a."""
    names = []
    for i in range(count):
        text = ""
        for _ in range(length - 2):
            text = chr(ord("a") + i % 26) + text
            i //= 26
        names.append("zz" + text)
    return names


def write_script(path, names):
    """Assigns every name, then uses each once; returns the values that
    must be printed (six-decimal rounding at each step, as the engine does)."""
    values = ["%d.%02d" % (1 + i % 97, 1 + (i * 7) % 98) for i in range(len(names))]
    if not os.path.exists(path):
        with open(path, "w") as f:
            f.writelines(f"{n}={v}\n" for n, v in zip(names, values))
            f.writelines(f"{n}*2\n" for n in names)
            f.write("exit\n")
    printed = ["%.15g" % float("%f" % float(v)) for v in values]
    printed += ["%.15g" % float("%f" % (float("%f" % float(v)) * 2)) for v in values]
    return printed


def scripts(workdir, count):
    """Writes (once) the ordinary and the crafted script of `count` names;
    returns {kind: (path, expected values)}."""
    slot_bits = max(6, (2 * (count + 3)).bit_length())  # the index at its largest
    result = {}
    for kind, make in (("ordinary", ordinary_names), ("crafted", crafted_names)):
        path = os.path.join(workdir, f"hashflood-{kind}-{count}.txt")
        names = make(count, slot_bits) if kind == "crafted" else make(count)
        result[kind] = (path, write_script(path, names))
    return result


def printed_values(data):
    return [line[line.rfind("= ") + 2:] for line in data.decode("latin-1").split("\n") if "= " in line]


def run(binary, script):
    """Runs one script; returns its wall time and its printed values."""
    with open(script, "rb") as stdin:
        start = time.perf_counter()
        result = subprocess.run([binary], stdin=stdin, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, check=True)
        wall = time.perf_counter() - start
    return wall, printed_values(result.stdout)


def probe(binary, workdir, count=100000, runs=3):
    """Times both scripts (median of `runs`); returns {kind: (seconds, ok)}."""
    os.makedirs(workdir, exist_ok=True)
    timings = {}
    made = scripts(workdir, count)
    run(binary, made["ordinary"][0])  # brings the program and the scripts into the page cache
    for kind, (path, expected) in made.items():
        results = [run(binary, path) for _ in range(runs)]
        timings[kind] = (statistics.median(t for t, _ in results),
                         all(values == expected for _, values in results))
    return timings


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("binary")
    parser.add_argument("--count", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--workdir", default=os.path.join("/tmp", "zorvex-bench"))
    args = parser.parse_args()
    timings = probe(args.binary, args.workdir, args.count, args.runs)
    for kind, (seconds, ok) in timings.items():
        print(f"{args.count:,} {kind} names: {seconds:.3f} s, output {'matches' if ok else 'DIFFERS'}")
    ratio = timings["crafted"][0] / timings["ordinary"][0]
    met = ratio <= LIMIT and all(ok for _, ok in timings.values())
    print(f"[{'MET' if met else 'NOT MET'}] crafted names within {LIMIT:g}x of ordinary ones: "
          f"{ratio:.2f}x")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
