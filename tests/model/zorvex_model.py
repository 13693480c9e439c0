#!/usr/bin/python3
"""Executable reference model of one Zorvex console run.

run(stdin_bytes) -> (stdout_bytes, stderr_bytes, exit_code)

The model mirrors the program step by step rather than computing "the right
answer": the token table has 128 slots that are rewritten in place, every
value written into a slot goes through "%f" text, and every number read from
a slot goes through the C library's strtod rules.  It exists so that the C++
program can be compared against it byte for byte (see differential.py).

Floating-point edge behaviour follows glibc on x86-64, the platform the
program is built and tested on:
  * a NaN that an operation creates from non-NaN operands is the hardware's
    default NaN, which has its sign bit set and prints as "-nan";
  * a NaN operand is passed through unchanged (sign included).  When both
    operands are NaN, which sign survives depends on the operand order the
    compiler picks, not on the source: an optimised GCC x86-64 build keeps
    the right operand's NaN for + and * (it commutes them) and the left
    one's for -; an unoptimised build keeps the left one's throughout
    (COMMUTE_NAN_OPERANDS);
    pow keeps its base's NaN, as the library does;
  * asin/acos outside [-1, 1] return a NaN without sign ("nan"), while
    sin/cos/tan of an infinity and pow of a negative base with a non-integral
    exponent return the default NaN ("-nan").
"""

import math
import sys

# ----------------------------------------------------------------------------
# Token kinds and the table size

MAX_TOKENS = 128
TOKEN_EMPTY = 0
TOKEN_NAME = ord('n')
TOKEN_NUMBER = ord('o')
TOKEN_FUNCTION = ord('f')

K_OPEN = ord('(')
K_CLOSE = ord(')')
K_BAR = ord('|')
K_POW = ord('^')
K_MUL = ord('*')
K_DIV = ord('/')
K_COLON = ord(':')
K_PLUS = ord('+')
K_MINUS = ord('-')
K_ASSIGN = ord('=')

# Precedence, highest first: every kind is reduced completely before the next.
OPERATOR_ORDER = (K_OPEN, K_BAR, TOKEN_FUNCTION, K_POW, K_MUL, K_DIV, K_COLON,
                  K_PLUS, K_MINUS, K_ASSIGN)

# Angle conversions derived from the predefined pi (3.14159), not from the
# mathematical constant, so degree-mode results match the variable pi.
DEG_TO_RAD = 0.017453277777777776   # 3.14159 / 180
RAD_TO_DEG = 57.295827908797776     # 180 / 3.14159

# The version in the banner's title is the build's; set_version() fills it
# in before the first run.
VERSION_TEXT = None

# ----------------------------------------------------------------------------
# Screens

DASHES = "-" * 48

BANNER_LINES = [
    DASHES,
    None,  # the title line: see set_version()
    "",
    " A calculator that reduces its token table in place.",
    " Every intermediate result carries six decimals.",
    "",
    " Type 'help' for a detailed help screen",
    "   It is recommened to take a look at ",
    "   this screen to see the basic funct.",
    " Type 'exit' to close Zorvex",
    DASHES,
    "",
]

HELP_LINES = [
    "",
    "** Zorvex Help Screen",
    "  ex.",
    "    (5*89)+2^2",
    "    |-8*56|/(56^6-789) ",
    "    var={[67+(5+1)]-89}*pi",
    "    var^(-67) ",
    "   a:b or a/b    divides a through b",
    "   a*b           multiplies a by b",
    "   a+b, a-b      addition and subtraction",
    "   {[(...)]}     parantheses",
    "   |expr|        absolute value of 'expr'",
    "",
    "  Order of operators:",
    "    | , () , ^ , * , / , + , - , = ",
    "  Variables:",
    "    Create a new variable with 'var=expr'",
    "     -> sets var to expr.",
    "    This variable can later be used like above.",
    "  Predefined and user-defined variables: ",
    "    type 'showvars'     ",
    "  Functions:",
    "    type 'showfuncs'",
    "",
]

FUNCTIONS_LINES = [
    "",
    "** Zorvex Functions",
    "   sin(x), cos(x), tan(x), cot(x)  Standard trigonometric functions",
    "   asin(x), acos(x), atan(x)       Arcsin etc. from x",
    "",
    " The variable 'rad' specifies whether the angles are given in",
    " radians or degrees. By default, rad=0 so angles are in degrees.",
    "",
    " Example:",
    "   sin(90)*cos(90)",
    "   acos(0)",
    "   rad=1",
    "   sin(pi)",
    "",
]


def screen_bytes(lines):
    return b"".join(line.encode("latin-1") + b"\n" for line in lines)


BANNER = None


def set_version(version):
    """Sets the version shown in the banner's title line."""
    global VERSION_TEXT, BANNER
    VERSION_TEXT = version
    BANNER_LINES[1] = "            Zorvex v" + version
    BANNER = screen_bytes(BANNER_LINES)
HELP_SCREEN = screen_bytes(HELP_LINES)
FUNCTIONS_SCREEN = screen_bytes(FUNCTIONS_LINES)

MSG_DIVIDE_BY_ZERO = "Error: Divide by zero!"
MSG_SQRT_NEGATIVE = "Error: Parameter of sqrt() can't be negative."
MSG_TOO_MANY_TOKENS = "Error: Expression has more than 128 tokens. Returns 0.0 ."


def msg_undeclared(name):
    return "Error: Variable '" + name + "' is undeclared. It is used as 0.0 ."


def msg_undefined_function(head):
    return "Error: Undefined function '" + head + ")'. Returns 0.0 ."


# ----------------------------------------------------------------------------
# C double semantics

INF = float("inf")
NAN_POS = float("nan")
NAN_NEG = -NAN_POS
# The NaN x86-64 produces for 0*inf, inf-inf, 0/0 and friends.
DEFAULT_NAN = NAN_NEG


def nan_is_negative(v):
    return math.copysign(1.0, v) < 0.0


def c_format_f(v):
    """printf("%f", v): full length, C spelling of non-finite values."""
    if math.isnan(v):
        return "-nan" if nan_is_negative(v) else "nan"
    return "%f" % v


def c_format_g15(v):
    """printf("%.15g", v)."""
    if math.isnan(v):
        return "-nan" if nan_is_negative(v) else "nan"
    return "%.15g" % v


_SPACE = b" \t\n\v\f\r"
_DIGITS = b"0123456789"
_HEXDIGITS = b"0123456789abcdefABCDEF"


def _scan(b, i, alphabet):
    n = len(b)
    while i < n and b[i] in alphabet:
        i += 1
    return i


def c_strtod(b):
    """strtod/atof in the C locale: the value of the longest valid prefix,
    0.0 when there is none.  b is a bytes object without NUL bytes."""
    n = len(b)
    i = 0
    while i < n and b[i] in _SPACE:
        i += 1
    negative = False
    if i < n and b[i] in b"+-":
        negative = b[i] == ord("-")
        i += 1
    rest = b[i:]
    lower = rest[:8].lower()
    if lower.startswith(b"inf"):
        value = INF
    elif lower.startswith(b"nan"):
        value = NAN_POS
    else:
        value = None
        if rest[:2].lower() == b"0x":
            value = _strtod_hex(rest)
        if value is None:
            value = _strtod_decimal(rest)
            if value is None:
                return 0.0
    return -value if negative else value


def _strtod_hex(rest):
    # rest starts with 0x; returns None when no hex digit follows.
    j = _scan(rest, 2, _HEXDIGITS)
    int_digits = rest[2:j]
    frac_digits = b""
    if j < len(rest) and rest[j] == ord("."):
        k = _scan(rest, j + 1, _HEXDIGITS)
        frac_digits = rest[j + 1:k]
        j_after_point = k
    else:
        j_after_point = j
    if not int_digits and not frac_digits:
        return None
    j = j_after_point
    exponent = 0
    if j < len(rest) and rest[j] in b"pP":
        k = j + 1
        sign = 1
        if k < len(rest) and rest[k] in b"+-":
            sign = -1 if rest[k] == ord("-") else 1
            k += 1
        e_end = _scan(rest, k, _DIGITS)
        if e_end > k:
            exponent = sign * int(rest[k:e_end])
    text = "0x" + (int_digits or b"0").decode() + "." + (frac_digits or b"0").decode()
    text += "p%d" % exponent
    try:
        return float.fromhex(text)
    except OverflowError:
        return INF


def _strtod_decimal(rest):
    j = _scan(rest, 0, _DIGITS)
    digits = j
    if j < len(rest) and rest[j] == ord("."):
        k = _scan(rest, j + 1, _DIGITS)
        digits += k - (j + 1)
        j = k
    if digits == 0:
        return None
    if j < len(rest) and rest[j] in b"eE":
        k = j + 1
        if k < len(rest) and rest[k] in b"+-":
            k += 1
        e_end = _scan(rest, k, _DIGITS)
        if e_end > k:
            j = e_end
    return float(rest[:j].decode("ascii"))


def to_number(text):
    """toNumber of a text: low byte of every unit, cut at the first zero."""
    raw = bytes(ord(c) & 0xFF for c in text)
    zero = raw.find(b"\0")
    if zero >= 0:
        raw = raw[:zero]
    return c_strtod(raw)


def number_text(v):
    return c_format_f(v)


def _nan_operand(a, b):
    if math.isnan(a):
        return a
    if math.isnan(b):
        return b
    return None


# Optimised builds (-O2, -O3) commute + and *; an unoptimised build does not
# and keeps the left operand's NaN everywhere.
COMMUTE_NAN_OPERANDS = True


def _nan_operand_commuted(a, b):
    if COMMUTE_NAN_OPERANDS:
        return _nan_operand(b, a)
    return _nan_operand(a, b)


def c_add(a, b):
    n = _nan_operand_commuted(a, b)
    if n is not None:
        return n
    r = a + b
    return DEFAULT_NAN if math.isnan(r) else r


def c_sub(a, b):
    n = _nan_operand(a, b)
    if n is not None:
        return n
    r = a - b
    return DEFAULT_NAN if math.isnan(r) else r


def c_mul(a, b):
    n = _nan_operand_commuted(a, b)
    if n is not None:
        return n
    r = a * b
    return DEFAULT_NAN if math.isnan(r) else r


def c_div(a, b):
    n = _nan_operand(a, b)
    if n is not None:
        return n
    if b == 0.0:
        if a == 0.0:
            return DEFAULT_NAN
        negative = (math.copysign(1.0, a) < 0) != (math.copysign(1.0, b) < 0)
        return -INF if negative else INF
    r = a / b
    return DEFAULT_NAN if math.isnan(r) else r


def _is_odd_integer(y):
    return math.isfinite(y) and y == math.floor(y) and math.fmod(y, 2.0) != 0.0


def c_pow(x, y):
    if y == 0.0:
        return 1.0
    if x == 1.0:
        return 1.0
    if math.isnan(x) and _is_odd_integer(y):
        # the library treats a NaN base like any negative base and flips
        # the sign for an odd exponent: a NaN with the sign bit set comes
        # back without it
        return c_fabs(x)
    n = _nan_operand(x, y)
    if n is not None:
        return n
    try:
        return math.pow(x, y)
    except ValueError:
        if x == 0.0:
            # pole: 0 to a negative power
            if _is_odd_integer(y):
                return math.copysign(INF, x)
            return INF
        # negative base, non-integral exponent
        return DEFAULT_NAN
    except OverflowError:
        if x < 0.0 and _is_odd_integer(y):
            return -INF
        return INF


def _trig(func, x):
    if math.isnan(x):
        return x
    if math.isinf(x):
        return DEFAULT_NAN
    return func(x)


def c_sin(x):
    return _trig(math.sin, x)


def c_cos(x):
    return _trig(math.cos, x)


def c_tan(x):
    return _trig(math.tan, x)


def _arc(func, x):
    if math.isnan(x):
        return x
    if not -1.0 <= x <= 1.0:
        return NAN_POS
    return func(x)


def c_asin(x):
    return _arc(math.asin, x)


def c_acos(x):
    return _arc(math.acos, x)


def c_atan2(y, x):
    n = _nan_operand(y, x)
    if n is not None:
        return n
    return math.atan2(y, x)


def c_sqrt(x):
    if math.isnan(x):
        return x
    if x < 0.0:
        return DEFAULT_NAN
    return math.sqrt(x)


def c_fabs(x):
    return math.copysign(x, 1.0)


# ----------------------------------------------------------------------------
# Units: input bytes are sign-extended to 16 bits; output writes the low byte.

def units_from_bytes(b):
    return [c | 0xFF00 if c >= 0x80 else c for c in b]


def units_to_bytes(units):
    return bytes(u & 0xFF for u in units)


def text_to_bytes(text):
    return bytes(ord(c) & 0xFF for c in text)


# ----------------------------------------------------------------------------
# The calculator

class Calculator:
    def __init__(self, out, err):
        self.out = out
        self.err = err
        self.kinds = [TOKEN_EMPTY] * MAX_TOKENS
        self.texts = [""] * MAX_TOKENS
        self.token_count = 0
        self.variables = []   # [name, value] in creation order
        self.set_variable("pi", 3.14159)
        self.set_variable("rad", 0.0)

    # -- error lines --------------------------------------------------------

    def error_line(self, message):
        self.err += text_to_bytes(message) + b"\n"

    # -- variable store -----------------------------------------------------

    def find_variable(self, name):
        for node in self.variables:
            if node[0] == name:
                return node
        return None

    def set_variable(self, name, value):
        node = self.find_variable(name)
        if node is not None:
            node[1] = value
            return
        if not self.variables:
            self.variables.append(["", 0.0])
        self.variables.append([name, value])

    def get_variable(self, name):
        node = self.find_variable(name)
        if node is not None:
            return node[1]
        self.error_line(msg_undeclared(name))
        return 0.0

    def show_variables(self):
        self.out += b"\n"
        for name, value in self.variables:
            self.out += text_to_bytes(name) + b"\t\t" + c_format_g15(value).encode() + b"\n"
        self.out += b"\n"

    # -- evaluation ---------------------------------------------------------

    def evaluate_line(self, line_units):
        if not self.tokenize(line_units):
            self.error_line(MSG_TOO_MANY_TOKENS)
            return 0.0
        self.resolve_names()
        return self.reduce_range(-1, -1)

    @staticmethod
    def normalise(line_units):
        units = [u + 0x20 if 0x41 <= u <= 0x5A else u for u in line_units]
        units = [u for u in units if u != 0x20]
        units = [u for u in units if u != 0x09]
        opening = (ord("{"), ord("["))
        closing = (ord("}"), ord("]"))
        return [K_OPEN if u in opening else K_CLOSE if u in closing else u for u in units]

    @staticmethod
    def classify(units):
        """The tokens of a normalised line as (kind, text) pairs, any number."""
        tokens = []
        previous = None
        for u in units:
            if 0x61 <= u <= 0x7A:
                cls = TOKEN_NAME
            elif 0x30 <= u <= 0x39 or u == 0x2E:
                cls = TOKEN_NUMBER
            else:
                tokens.append((u, ""))
                previous = None
                continue
            if previous != cls:
                tokens.append((cls, chr(u)))
            else:
                tokens[-1] = (cls, tokens[-1][1] + chr(u))
            previous = cls
        return tokens

    def tokenize(self, line_units):
        """Fills the table; False when the line has more than 128 tokens
        (the table is then left reset and the line is not evaluated)."""
        self.kinds = [TOKEN_EMPTY] * MAX_TOKENS
        self.texts = [""] * MAX_TOKENS
        self.token_count = MAX_TOKENS
        tokens = self.classify(self.normalise(line_units))
        if len(tokens) > MAX_TOKENS:
            return False
        for slot, (kind, text) in enumerate(tokens):
            self.kinds[slot] = kind
            self.texts[slot] = text
        return True

    def resolve_names(self):
        kinds = self.kinds
        texts = self.texts
        for i in range(self.token_count - 1):
            # minus directly in front of a number joins the number
            if kinds[i] == K_MINUS and kinds[i + 1] == TOKEN_NUMBER:
                texts[i + 1] = number_text(-to_number(texts[i + 1]))
                kinds[i] = K_PLUS
            # a name directly before an opening bracket is a function head
            if kinds[i] == TOKEN_NAME and kinds[i + 1] == K_OPEN:
                kinds[i] = TOKEN_FUNCTION
                texts[i] = texts[i] + "("
                kinds[i + 1] = TOKEN_EMPTY
            # any other name not assigned to is replaced by its value,
            # multiplied by a neighbouring number (2pi, pi2)
            if kinds[i] == TOKEN_NAME and kinds[i + 1] != K_ASSIGN:
                factor_slot = -1
                if i != 0 and kinds[i - 1] == TOKEN_NUMBER:
                    factor_slot = i - 1
                elif kinds[i + 1] == TOKEN_NUMBER:
                    factor_slot = i + 1
                v = self.get_variable(texts[i])
                if factor_slot >= 0:
                    v = c_mul(to_number(texts[factor_slot]), v)
                texts[i] = number_text(v)
                kinds[i] = TOKEN_NUMBER
                if factor_slot >= 0:
                    kinds[factor_slot] = TOKEN_EMPTY

    def _bounds(self, frm, to):
        start = 0 if frm == -1 else frm
        end = self.token_count if to == -1 else to
        return start, end

    def find_kind(self, kind, frm, to):
        start, end = self._bounds(frm, to)
        if start >= end:
            return -1
        try:
            return self.kinds.index(kind, start, end)
        except ValueError:
            return -1

    def find_matching_close(self, close_kind, frm, to):
        start, end = self._bounds(frm, to)
        depth = 0
        kinds = self.kinds
        for i in range(start, end):
            k = kinds[i]
            if k == close_kind:
                if depth == 0:
                    return i
                depth -= 1
            elif close_kind == K_CLOSE and (k == K_OPEN or k == TOKEN_FUNCTION):
                depth += 1
        return -1

    def take_operand(self, pos, leftwards):
        kinds = self.kinds
        if leftwards:
            p = pos
            while p >= 0:
                k = kinds[p]
                if k == TOKEN_NUMBER:
                    break
                if k == K_OPEN or k == K_BAR or k == TOKEN_FUNCTION:
                    return 0.0
                p -= 1
            else:
                return 0.0
        else:
            p = pos
            last = self.token_count - 1
            while p <= last:
                k = kinds[p]
                if k == TOKEN_NUMBER:
                    break
                if k == K_CLOSE or k == K_BAR:
                    return 0.0
                p += 1
            else:
                return 0.0
        kinds[p] = TOKEN_EMPTY
        return to_number(self.texts[p])

    def take_assigned_name(self, pos):
        for p in range(pos, -1, -1):
            if self.kinds[p] == TOKEN_NAME:
                self.kinds[p] = TOKEN_EMPTY
                return self.texts[p]
        return ""

    def apply_binary_operator(self, pos):
        kind = self.kinds[pos]
        if kind == K_ASSIGN:
            value = self.take_operand(pos, False)
            name = self.take_assigned_name(pos)
            self.set_variable(name, value)
            return value
        if kind == K_DIV or kind == K_COLON:
            right = self.take_operand(pos + 1, False)
            if right == 0.0 or math.isnan(right):
                self.error_line(MSG_DIVIDE_BY_ZERO)
                return 0.0
            left = self.take_operand(pos - 1, True)
            return c_div(left, right)
        left = self.take_operand(pos - 1, True)
        right = self.take_operand(pos + 1, False)
        if kind == K_MUL:
            return c_mul(left, right)
        if kind == K_PLUS:
            return c_add(left, right)
        if kind == K_MINUS:
            return c_sub(left, right)
        if kind == K_POW:
            return c_pow(left, right)
        raise AssertionError("no binary rule for kind %r" % kind)

    def reduce_range(self, frm, to):
        kinds = self.kinds
        texts = self.texts
        for kind in OPERATOR_ORDER:
            while True:
                d = self.find_kind(kind, frm, to)
                if d == -1:
                    break
                if kind == K_OPEN:
                    m = self.find_matching_close(K_CLOSE, d + 1, to)
                    v = self.reduce_range(d + 1, m)
                elif kind == K_BAR:
                    m = self.find_matching_close(K_BAR, d + 1, to)
                    v = c_fabs(self.reduce_range(d + 1, m))
                elif kind == TOKEN_FUNCTION:
                    m = self.find_matching_close(K_CLOSE, d + 1, to)
                    head = texts[d]
                    a = self.reduce_range(d + 1, m)
                    v = self.apply_function(head, a)
                else:
                    v = self.apply_binary_operator(d)
                    texts[d] = number_text(v)
                    kinds[d] = TOKEN_NUMBER
                    continue
                texts[d] = number_text(v)
                kinds[d] = TOKEN_NUMBER
                if m != -1:
                    kinds[m] = TOKEN_EMPTY
        start = 0 if frm == -1 else frm
        return self.take_operand(start, False)

    # -- function library ---------------------------------------------------

    def degree_mode(self):
        rad = self.get_variable("rad")
        return rad == 0.0 or math.isnan(rad)

    # function-table: the model keeps its own copy of the library, written
    # from the rules and not read from engine/function_table.cpp; a new
    # function is added here by hand.
    def apply_function(self, head, x):
        if head == "sqrt(":
            if x < 0.0 or math.isnan(x):
                self.error_line(MSG_SQRT_NEGATIVE)
                return 0.0
            return c_sqrt(x)
        if head in ("asin(", "arcsin("):
            r = c_asin(x)
            return c_mul(r, RAD_TO_DEG) if self.degree_mode() else r
        if head in ("acos(", "arccos("):
            r = c_acos(x)
            return c_mul(r, RAD_TO_DEG) if self.degree_mode() else r
        if head in ("atan(", "arctan("):
            r = c_atan2(x, 1.0)
            return c_mul(r, RAD_TO_DEG) if self.degree_mode() else r
        if self.degree_mode():
            x = c_mul(x, DEG_TO_RAD)
        if head == "sin(":
            return c_sin(x)
        if head == "cos(":
            return c_cos(x)
        if head == "tan(":
            return c_tan(x)
        if head == "cot(":
            return c_div(1.0, c_tan(x))
        self.error_line(msg_undefined_function(head))
        return 0.0


# ----------------------------------------------------------------------------
# The console

COMMAND_EXIT = units_from_bytes(b"EXIT")
COMMAND_HELP = units_from_bytes(b"HELP")
COMMAND_SHOWVARS = units_from_bytes(b"SHOWVARS")
COMMAND_SHOWFUNCS = units_from_bytes(b"SHOWFUNCS")


def split_lines(data):
    """The lines the console reads: split on LF, one CR before the LF (or at
    the very end of an unterminated last line) dropped."""
    lines = []
    pos = 0
    while pos < len(data):
        nl = data.find(b"\n", pos)
        if nl == -1:
            line = data[pos:]
            pos = len(data)
        else:
            line = data[pos:nl]
            pos = nl + 1
        if line.endswith(b"\r"):
            line = line[:-1]
        lines.append(line)
    return lines


def run(stdin_bytes):
    out = bytearray()
    err = bytearray()
    calc = Calculator(out, err)
    out += BANNER
    for raw in split_lines(stdin_bytes):
        out += b"> "
        line = units_from_bytes(raw)
        upper = [u - 0x20 if 0x61 <= u <= 0x7A else u for u in line]
        if upper == COMMAND_EXIT:
            return bytes(out), bytes(err), 0
        if upper == COMMAND_HELP:
            out += HELP_SCREEN
        elif upper == COMMAND_SHOWVARS:
            calc.show_variables()
        elif upper == COMMAND_SHOWFUNCS:
            out += FUNCTIONS_SCREEN
        else:
            value = calc.evaluate_line(upper)
            out += b"= " + c_format_g15(value).encode() + b"\n"
    # end of input: the prompt for the line that never comes, then exit 0
    out += b"> "
    return bytes(out), bytes(err), 0


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: %s VERSION < INPUT\n" % argv[0])
        return 2
    set_version(argv[1])
    data = sys.stdin.buffer.read()
    out, err, code = run(data)
    sys.stdout.buffer.write(out)
    sys.stdout.buffer.flush()
    sys.stderr.buffer.write(err)
    sys.stderr.buffer.flush()
    return code


if __name__ == "__main__":
    sys.exit(main(sys.argv))
