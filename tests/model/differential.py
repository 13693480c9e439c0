#!/usr/bin/python3
"""Differential test: the Zorvex binary against the reference model.

    differential.py --binary PATH [--count N] [--seed S] [--lines-per-run K]
                    [--unoptimised-build] [--shrink-limit L]
                    [--api-driver PATH] [--inputs FILE...]

Generates N random input lines over the whole expression language, feeds
them to the binary in batches of K lines (one process per batch, the batch
as its standard input) and compares standard output, standard error and the
exit code byte for byte with zorvex_model.run.  With --api-driver, the
program's quiet dialogue (-q) is compared instead with a program that
answers the same lines through the C library alone (tests/api/), for the
random batches and for each of the --inputs files; the help and functions
screens, which are the program's and not the library's, are left out of
both.  A failing batch is shrunk to
the shortest input that still fails (ideally the failing line plus the
assignments before it) and printed.  Ends with "N passed, M failed" counted
in batches; exits 1 when any batch failed.
"""

import argparse
import os
import random
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import zorvex_model as zm  # noqa: E402

# function-table: every name of engine/function_table.cpp, so that each is drawn.
FUNCTIONS = ["sqrt", "sin", "cos", "tan", "cot", "asin", "acos", "atan",
             "arcsin", "arccos", "arctan"]
UNKNOWN_FUNCTIONS = ["foo", "log", "exp", "pi", "rad", "x", "sinh"]
KNOWN_NAMES = ["pi", "rad", "x", "y", "z"]
OTHER_NAMES = ["q", "e", "abc", "help", "exit", "sin", "var"]
ASSIGN_TARGETS = ["x", "y", "z", "x", "y", "var", "sin", "pi", "q"]
OPERATORS = ["+", "-", "*", "/", ":", "^"]
OPENERS = ["(", "(", "(", "[", "{"]
CLOSERS = [")", ")", ")", "]", "}"]
STRAY = [",", "!", "#", "$", "?", "_", "\\", "'", '"', "~", "\x80", "\xff", "\xe9",
         "\xa0", "\0", "\r", "\x0b", "\x0c", "&", ";", "<", "@"]


class LineGenerator:
    def __init__(self, rng):
        self.rng = rng

    # -- pieces ---------------------------------------------------------------

    def number(self):
        r = self.rng
        c = r.random()
        if c < 0.35:
            return str(r.randint(0, 12))
        if c < 0.55:
            return str(r.randint(0, 100000))
        if c < 0.75:
            return "%d.%d" % (r.randint(0, 999), r.randint(0, 99999))
        return r.choice(["1.5.2", ".", "..", "5.", ".5", "0", "00", "007", "0.1234567",
                         "0.0000001", "0.0000005", "123456789012345678901",
                         "3.14159", "90", "180", "45", "60", "30", "1e5", "1e", "2E3",
                         "0.000001", "999999999999", "1.", "12.5.3", "0x1A",
                         # around the limits of the number text's shortcuts
                         "4294967296", "8589934592", "8589934591.999999", "9007199254740993",
                         "12345678901.234567", "98765432109.87654", "0.0000004999",
                         "0.0000015", "0.0000025", "999999999.9999995", "0.00009999995"])

    def name(self):
        r = self.rng
        return r.choice(KNOWN_NAMES) if r.random() < 0.7 else r.choice(OTHER_NAMES)

    def operand(self, depth):
        r = self.rng
        c = r.random()
        if depth > 2:
            c = c * 0.45
        if c < 0.30:
            return self.number()
        if c < 0.40:
            return self.name()
        if c < 0.45:
            # implicit products: 2pi, pi2, 2x3
            return r.choice([self.number() + self.name(), self.name() + self.number(),
                             self.number() + self.name() + self.number()])
        if c < 0.62:
            inside = self.expression(depth + 1)
            opener = r.choice(OPENERS)
            closer = r.choice(CLOSERS) if r.random() < 0.93 else ""
            return opener + inside + closer
        if c < 0.72:
            closer = "|" if r.random() < 0.93 else ""
            return "|" + self.expression(depth + 1) + closer
        if c < 0.90:
            fname = r.choice(FUNCTIONS) if r.random() < 0.85 else r.choice(UNKNOWN_FUNCTIONS)
            inside = "" if r.random() < 0.05 else self.expression(depth + 1)
            closer = r.choice(CLOSERS) if r.random() < 0.93 else ""
            return fname + r.choice(OPENERS) + inside + closer
        return "-" + self.operand(depth + 1)

    def expression(self, depth=0):
        r = self.rng
        parts = []
        if r.random() < 0.15:
            parts.append(r.choice(["-", "+", "--", "*"]))
        parts.append(self.operand(depth))
        for _ in range(r.choice([0, 0, 1, 1, 1, 2, 2, 3, 4])):
            parts.append(r.choice(OPERATORS))
            if r.random() < 0.1:
                parts.append("-")
            parts.append(self.operand(depth))
        if r.random() < 0.05:
            parts.append(r.choice(OPERATORS))
        return "".join(parts)

    def short_expression(self):
        """One or two operators over small numbers, names and calls: the
        lines where arithmetic and rounding differences show plainly."""
        r = self.rng

        def simple():
            c = r.random()
            if c < 0.5:
                return r.choice([str(r.randint(0, 20)), "%d.%d" % (r.randint(0, 9), r.randint(0, 999)),
                                 r.choice(["0", "0.5", "90", "180", "45", "1.5.2", "."])])
            if c < 0.7:
                return r.choice(KNOWN_NAMES + ["2pi", "pi2", "3x", "x2", "q"])
            fname = r.choice(FUNCTIONS + ["foo"])
            return fname + "(" + r.choice(["", "-"]) + str(r.choice([0, 1, 2, 30, 45, 60, 90, 180, -1, 0.5])) + ")"

        line = r.choice(["", "", "", "-", "|", "("]) + simple()
        for _ in range(r.choice([1, 1, 2])):
            line += r.choice(OPERATORS) + r.choice(["", "", "-"]) + simple()
        if line[0] == "|":
            line += "|"
        elif line[0] == "(":
            line += ")" + r.choice(OPERATORS) + simple()
        return line

    # -- whole lines ------------------------------------------------------------

    def mutate(self, line):
        r = self.rng
        chars = list(line)
        for _ in range(r.choice([0, 0, 0, 1, 1, 2])):
            pos = r.randint(0, len(chars))
            c = r.random()
            if c < 0.45:
                chars.insert(pos, r.choice([" ", " ", "\t", "  "]))
            elif c < 0.8:
                chars.insert(pos, r.choice(STRAY))
            elif chars and pos < len(chars):
                del chars[pos]
        if r.random() < 0.2:
            chars = [ch.upper() if "a" <= ch <= "z" and r.random() < 0.5 else ch for ch in chars]
        return "".join(chars)

    def long_line(self):
        """A line of 126 to 131 tokens, counted with the model's tokenizer."""
        r = self.rng
        target = r.choice([126, 127, 128, 128, 129, 129, 130, 131])
        line = ""
        while True:
            piece = r.choice(OPERATORS) + self.operand(3)
            if token_count(line + piece) > target:
                break
            line += piece
        while token_count(line) < target:
            line += r.choice(["+", "*", "-", ",", "|", ")"])
        if r.random() < 0.3:
            line = line[:1] + " \t" + line[1:]
        return line

    def line(self):
        r = self.rng
        c = r.random()
        if c < 0.22:
            return self.mutate(self.short_expression())
        if c < 0.52:
            return self.mutate(self.expression())
        if c < 0.70:
            target = r.choice(ASSIGN_TARGETS)
            shape = r.random()
            if shape < 0.75:
                return self.mutate(target + "=" + self.expression())
            if shape < 0.85:
                return "=" + self.expression()
            if shape < 0.93:
                return target + "=" + r.choice(ASSIGN_TARGETS) + "=" + self.expression()
            return self.number() + target + "=" + self.number()
        if c < 0.73:
            return r.choice(["rad=1", "rad=0", "RAD=1", "rad = 0", "rad=pi", "rad=-1"])
        if c < 0.76:
            # the angle mode switched inside a line, before or after a call
            # in the order of reduction
            f, g = r.choice(FUNCTIONS), r.choice(FUNCTIONS)
            x, mode = self.number(), r.choice(["0", "1", "-1", "pi", "0.0000001"])
            return self.mutate(r.choice([
                "(rad=%s)+%s(%s)" % (mode, f, x),
                "%s(%s)+(rad=%s)*%s(%s)" % (f, x, mode, g, x),
                "%s((rad=%s)*0+%s)" % (f, mode, x),
                "|rad=%s|+%s(%s)" % (mode, f, x),
                "%s(%s)+rad=%s" % (f, x, mode),
                "rad=%s(%s)+%s(%s)" % (f, x, g, x),
            ]))
        if c < 0.79:
            return r.choice(["showvars", "SHOWVARS", "ShowVars", "sHoWvArS"])
        if c < 0.80:
            return r.choice(["help", "HELP", "showfuncs", "ShowFuncs"])
        if c < 0.82:
            return r.choice([" help", "exit 1", "showvars ", "help2", "e x i t", "exit\t"])
        if c < 0.86:
            return "".join(r.choice(STRAY + OPERATORS + OPENERS + CLOSERS + ["|", "=", "a", "1"])
                           for _ in range(r.randint(1, 12)))
        if c < 0.89:
            return r.choice(["", " ", "\t", "  \t "])
        if c < 0.92:
            return self.long_line()
        if c < 0.96:
            # non-finite values on purpose
            return self.mutate(r.choice(["asin(2)", "acos(-3)", "cot(0)", "9^999", "-9^999",
                                         "0^-1", "-2^0.5", "x=9^999", "y=0*9^999", "x-x",
                                         "y*2", "|y|", "sqrt(y)", "5/y", "rad=y", "z=-1",
                                         "cot(0*z)", "10^400-10^400", "(0*9^999)^3", "10^60/10^59",
                                         "x=-2^300", "x/2^299", "123456789012345678901^3/1e60"]))
        return self.mutate(self.expression() + r.choice(OPERATORS) + self.expression())


def token_count(line):
    units = zm.units_from_bytes(line.encode("latin-1"))
    return len(zm.Calculator.classify(zm.Calculator.normalise(units)))


def make_batch(gen, rng, count):
    """A batch is a list of (line bytes, terminator)."""
    batch = []
    for _ in range(count):
        line = gen.line().encode("latin-1")
        batch.append([line, b"\r\n" if rng.random() < 0.05 else b"\n"])
    c = rng.random()
    if c < 0.1 and batch:
        batch[-1][1] = b""                       # last line without a line feed
    elif c < 0.13 and batch:
        batch[-1][1] = b"\r"                     # ... or ending in a lone CR
    elif c < 0.2:
        batch.append([rng.choice([b"exit", b"EXIT", b"Exit"]), b"\n"])
        batch.append([b"1+1", b"\n"])            # never read
    return [tuple(item) for item in batch]


def batch_bytes(batch):
    return b"".join(line + end for line, end in batch)


def run_binary(binary, data):
    return run_program([binary], data)


# Set by --api-driver: the library's dialogue, compared with `binary -q`.
API_DRIVER = None
SCREEN_COMMANDS = (b"HELP", b"SHOWFUNCS")
WANT_LABEL, GOT_LABEL = "model ", "binary"


def without_screens(data):
    """The input without its help and showfuncs lines (any case, CR LF too)."""
    kept = []
    for line in data.split(b"\n"):
        bare = line[:-1] if line.endswith(b"\r") else line
        if bare.upper() not in SCREEN_COMMANDS:
            kept.append(line)
    return b"\n".join(kept)


def run_program(command, data):
    try:
        proc = subprocess.run(command, input=data, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=20)
        return proc.stdout, proc.stderr, proc.returncode
    except subprocess.TimeoutExpired as exc:
        return exc.stdout or b"", (exc.stderr or b"") + b"<<timeout>>", "timeout"


def outcome(binary, batch):
    data = batch_bytes(batch)
    if API_DRIVER is not None:
        data = without_screens(data)
        want = run_program([binary, "-q"], data)
        got = run_program([API_DRIVER], data)
        return want == got, want, got
    want = zm.run(data)
    got = run_binary(binary, data)
    return want == got, want, got


def shrink(binary, batch):
    def fails(candidate):
        return bool(candidate) and not outcome(binary, candidate)[0]

    # shortest failing prefix
    current = batch
    for n in range(1, len(batch) + 1):
        if fails(batch[:n]):
            current = batch[:n]
            break
    target = current[-1]
    # the failing line with only the assignments before it
    assignments = [item for item in current[:-1] if b"=" in item[0]]
    if fails(assignments + [target]):
        current = assignments + [target]
    # drop whatever else is not needed
    i = 0
    while i < len(current) - 1:
        candidate = current[:i] + current[i + 1:]
        if fails(candidate):
            current = candidate
        else:
            i += 1
    return current


def shrink_characters(binary, batch, budget=400):
    """Deletes chunks of the last line while the batch still fails; gives a
    smaller, though possibly different, failing line."""
    head, (line, end) = batch[:-1], batch[-1]
    chunk = max(1, len(line) // 2)
    while chunk >= 1 and budget > 0:
        i = 0
        while i < len(line) and budget > 0:
            candidate = line[:i] + line[i + chunk:]
            budget -= 1
            if candidate != line and not outcome(binary, head + [(candidate, end)])[0]:
                line = candidate
            else:
                i += chunk
        chunk //= 2
    return head + [(line, end)]


def show(label, triple, banner_len):
    out, err, code = triple
    print("  %s exit code: %r" % (label, code))
    print("  %s stdout:    %r" % (label, out[banner_len:] if out[:banner_len] == zm.BANNER else out))
    print("  %s stderr:    %r" % (label, err))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[1])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--version", required=True, help="the version the banner shows")
    parser.add_argument("--count", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--lines-per-run", type=int, default=25)
    parser.add_argument("--unoptimised-build", action="store_true",
                        help="the program was built without optimisation: with two NaN "
                             "operands + and * keep the left one's sign")
    parser.add_argument("--shrink-limit", type=int, default=3,
                        help="how many failing batches to shrink and print")
    parser.add_argument("--api-driver",
                        help="compare the program's -q dialogue with this client of the library")
    parser.add_argument("--inputs", nargs="*", default=[],
                        help="whole inputs compared as they are, before the random batches")
    args = parser.parse_args(argv)
    global API_DRIVER, WANT_LABEL, GOT_LABEL
    API_DRIVER = args.api_driver
    if API_DRIVER is not None:
        WANT_LABEL, GOT_LABEL = "program", "library"
    if not (os.path.isfile(args.binary) and os.access(args.binary, os.X_OK)):
        print("no executable program at %s" % args.binary)
        return 2
    zm.COMMUTE_NAN_OPERANDS = not args.unoptimised_build
    zm.set_version(args.version)
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1 << 30)
    print("seed %d" % seed)
    rng = random.Random(seed)
    gen = LineGenerator(rng)

    passed = failed = 0
    remaining = args.count
    shrunk = 0
    for path in args.inputs:
        with open(path, "rb") as f:
            data = f.read()
        lines = data.split(b"\n")
        batch = [(line, b"\n") for line in lines[:-1]] + [(lines[-1], b"")]
        same, want, got = outcome(args.binary, batch)
        if same:
            passed += 1
            continue
        failed += 1
        print("MISMATCH on %s:" % path)
        show("program", want, len(zm.BANNER))
        show("other  ", got, len(zm.BANNER))
    while remaining > 0:
        k = min(args.lines_per_run, remaining)
        remaining -= k
        batch = make_batch(gen, rng, k)
        same, want, got = outcome(args.binary, batch)
        if same:
            passed += 1
            continue
        failed += 1
        if shrunk >= args.shrink_limit:
            continue
        shrunk += 1
        small = shrink(args.binary, batch)
        _, want, got = outcome(args.binary, small)
        print("MISMATCH (batch of %d lines shrunk to %d):" % (len(batch), len(small)))
        print("  input:          %r" % batch_bytes(small))
        show(WANT_LABEL, want, len(zm.BANNER))
        show(GOT_LABEL, got, len(zm.BANNER))
        tiny = shrink_characters(args.binary, small)
        if tiny != small:
            _, want, got = outcome(args.binary, tiny)
            print("  with its last line cut down further:")
            print("  input:          %r" % batch_bytes(tiny))
            show(WANT_LABEL, want, len(zm.BANNER))
            show(GOT_LABEL, got, len(zm.BANNER))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
