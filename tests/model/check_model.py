#!/usr/bin/python3
"""Self-test of the reference model (zorvex_model.py).

Every row below is a worked example or an edge case with a stated value of
the calculator's documented behaviour, or one of the console conventions the
team has pinned (CR handling, end of input, more than 128 tokens).  Exits non-zero on
any mismatch and ends with the line "N passed, M failed".
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import zorvex_model as zm  # noqa: E402

# ----------------------------------------------------------------------------
# Expected screen texts, as documented (kept independent of the
# model's own copies on purpose).

DOC_BANNER = [
    "-" * 48,
    None,  # the title line, with the version the build passes in: see main()
    "",
    " A calculator that reduces its token table in place.",
    " Every intermediate result carries six decimals.",
    "",
    " Type 'help' for a detailed help screen",
    "   It is recommened to take a look at ",
    "   this screen to see the basic funct.",
    " Type 'exit' to close Zorvex",
    "-" * 48,
    "",
]

DOC_HELP = [
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

DOC_FUNCS = [
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


def lines_text(lines):
    return "".join(line + "\n" for line in lines)


BANNER = None
HELP = lines_text(DOC_HELP)
FUNCS = lines_text(DOC_FUNCS)


def V(text):
    """The result line for a printed value."""
    return "= " + text + "\n"


def VARS(*pairs):
    """The SHOWVARS listing for (name, printed value) pairs."""
    return "\n" + "".join(name + "\t\t" + value + "\n" for name, value in pairs) + "\n"


START_VARS = (("", "0"), ("pi", "3.14159"), ("rad", "0"))

EXITED = None   # marks the line on which the program leaves


def UNDECLARED(name):
    return "Error: Variable '" + name + "' is undeclared. It is used as 0.0 .\n"


def UNDEFINED(head):
    return "Error: Undefined function '" + head + ")'. Returns 0.0 .\n"


DIV0 = "Error: Divide by zero!\n"
SQRT_NEG = "Error: Parameter of sqrt() can't be negative.\n"
TOO_MANY = "Error: Expression has more than 128 tokens. Returns 0.0 .\n"

# ----------------------------------------------------------------------------
# Whole-run cases: (name, input lines, output after each prompt, stderr).
# The input is the lines joined with LF, each line terminated.

SESSIONS = [
    # console loop
    ("exit ends the run", ["exit", "1+2"], [EXITED], ""),
    ("Exit ends the run", ["Exit", "1+2"], [EXITED], ""),
    ("EXIT ends the run", ["EXIT", "1+2"], [EXITED], ""),
    ("help screen", ["help"], [HELP], ""),
    ("HeLp screen", ["HeLp"], [HELP], ""),
    ("showvars listing", ["showvars"], [VARS(*START_VARS)], ""),
    ("showfuncs screen", ["showfuncs"], [FUNCS], ""),
    ("help behind blanks is a variable", ["  help"], [V("0")], UNDECLARED("help")),
    ("exit with trailing text is evaluated", ["exit 1"], [V("0")], UNDECLARED("exit")),
    ("empty line", [""], [V("0")], ""),
    ("1/3", ["1/3"], [V("0.333333")], ""),
    ("1+2", ["1+2"], [V("3")], ""),
    ("pi", ["pi"], [V("3.14159")], ""),
    ("10/4", ["10/4"], [V("2.5")], ""),
    ("variable persists", ["x=4", "x*2"], [V("4"), V("8")], ""),
    ("the travelling example", ["x=2*(3+4)", "x"], [V("14"), V("14")], ""),
    # calculator
    ("pi*2", ["pi*2"], [V("6.28318")], ""),
    ("empty line twice", ["", ""], [V("0"), V("0")], ""),
    # tokenizer-visible values
    ("blanks vanish", ["3 + 4", " 1 000 ", "s i n(90)"], [V("7"), V("1000"), V("1")], ""),
    ("bracket shapes", ["{1+2}", "[1+2]", "(1+2)"], [V("3"), V("3"), V("3")], ""),
    ("malformed numbers", ["1.5.2", ".", "12.5.3*1"], [V("1.5"), V("0"), V("12.5")], ""),
    ("1e5 looks up e", ["1e5"], [V("0")], UNDECLARED("e")),
    ("1,5", ["1,5"], [V("1")], ""),
    ("--5: the outer minus subtracts", ["--5"], [V("5")], ""),
    ("PI", ["PI", "2 PI"], [V("3.14159"), V("6.28318")], ""),
    ("zero byte takes a slot", ["1\0" + "2"], [V("1")], ""),
    # pre-pass
    ("implicit products", ["2pi", "pi2"], [V("6.28318"), V("6.28318")], ""),
    ("5-3", ["5-3"], [V("2")], ""),
    ("-1.5.2", ["-1.5.2"], [V("-1.5")], ""),
    ("-pi", ["-pi"], [V("-3.14159")], ""),
    ("x=-5", ["x=-5", "x"], [V("-5"), V("-5")], ""),
    ("-2x", ["x=4", "-2x"], [V("4"), V("-8")], ""),
    ("y=x, x undeclared", ["y=x", "showvars"], [V("0"), VARS(*START_VARS, ("y", "0"))],
     UNDECLARED("x")),
    ("x2y", ["x=3", "y=5", "x2y"], [V("3"), V("5"), V("6")], ""),
    ("2x3", ["x=4", "2x3"], [V("4"), V("8")], ""),
    ("sqrt(16)", ["sqrt(16)"], [V("4")], ""),
    ("2sin(30) forms no product", ["2sin(30)"], [V("2")], ""),
    ("name in slot 127 is not looked up", ["1+" * 63 + "1q"], [V("64")], ""),
    # reduction evaluator: worked examples
    ("worked 1", ["(5*89)+2^2"], [V("449")], ""),
    ("worked 2", ["8-3-2"], [V("3")], ""),
    ("worked 3", ["2^3^2"], [V("64")], ""),
    ("worked 4", ["|-8*56|/(56^6-789)"], [V("0")], ""),
    ("worked 5", ["var={[67+(5+1)]-89}*pi", "var", "showvars"],
     [V("-50.26544"), V("-50.26544"), VARS(*START_VARS, ("var", "-50.26544"))], ""),
    ("worked 6", ["x=3", "x"], [V("3"), V("3")], ""),
    ("worked 7", ["5/0"], [V("5")], DIV0),
    ("worked 8", ["1+5/0"], [V("6")], DIV0),
    # reduction evaluator: stated values
    ("+5", ["+5"], [V("5")], ""),
    ("5+", ["5+"], [V("5")], ""),
    ("*5", ["*5"], [V("0")], ""),
    ("-(2)", ["-(2)"], [V("-2")], ""),
    ("x=3+4", ["x=3+4", "x"], [V("7"), V("7")], ""),
    ("2*5/0", ["2*5/0"], [V("10")], DIV0),
    ("5:0", ["5:0"], [V("5")], DIV0),
    ("divisor -0", ["5/-0"], [V("5")], DIV0),
    ("unclosed", ["(5+3", "|-5", "2*(3+4"], [V("8"), V("5"), V("14")], ""),
    ("unopened", [")5", "5)"], [V("0"), V("5")], ""),
    ("no numbers", ["()", "+*-", "|"], [V("0"), V("0"), V("0")], ""),
    ("kinds without rule", ["5!", "2,5"], [V("5"), V("2")], ""),
    ("8/4/2", ["8/4/2"], [V("1")], ""),
    ("8:4/2", ["8:4/2"], [V("4")], ""),
    ("8/4:2", ["8/4:2"], [V("1")], ""),
    ("1/3*3", ["1/3*3"], [V("0.111111")], ""),
    ("(1/3)*3", ["(1/3)*3"], [V("0.999999")], ""),
    ("1/3+1/3+1/3", ["1/3+1/3+1/3"], [V("0.999999")], ""),
    ("-2^2", ["-2^2"], [V("4")], ""),
    ("2^-1", ["2^-1"], [V("0.5")], ""),
    ("8-3+2", ["8-3+2"], [V("7")], ""),
    ("8-(3)+2", ["8-(3)+2"], [V("3")], ""),
    ("literal keeps digits", ["0.1234567", "(0.1234567)", "0.1234567*1"],
     [V("0.1234567"), V("0.123457"), V("0.123457")], ""),
    ("1/3000000", ["1/3000000"], [V("0")], ""),
    ("5/(1/3000000)", ["5/(1/3000000)"], [V("5")], DIV0),
    ("function heads nest", ["(sqrt(4)+1)*2", "(sqrt(4))+1", "sqrt(sqrt(16)+9)"],
     [V("6"), V("3"), V("3.605551")], ""),
    ("2*cos(-60)", ["2*cos(-60)"], [V("1.000002")], ""),
    ("||-3|+2|", ["||-3|+2|"], [V("-3")], ""),
    ("x=y=2", ["x=y=2", "x", "y"], [V("2"), V("2"), V("0")], ""),
    ("=5", ["=5", "showvars"], [V("5"), VARS(("", "5"), ("pi", "3.14159"), ("rad", "0"))], ""),
    ("x=0.1234567", ["x=0.1234567", "showvars"],
     [V("0.123457"), VARS(*START_VARS, ("x", "0.1234567"))], ""),
    ("2x=5", ["2x=5", "x"], [V("2"), V("5")], ""),
    # function library
    ("sin(30)", ["sin(30)"], [V("0.5")], ""),
    ("sin(90)", ["sin(90)"], [V("1")], ""),
    ("sin(180)", ["sin(180)"], [V("3e-06")], ""),   # 0.000003 in %.15g
    ("cos(60)", ["cos(60)"], [V("0.500001")], ""),
    ("cos(90)", ["cos(90)"], [V("1e-06")], ""),     # 0.000001 in %.15g
    ("tan(45)", ["tan(45)"], [V("0.999999")], ""),
    ("cot(45)", ["cot(45)"], [V("1.000001")], ""),
    ("tan(90)", ["tan(90)"], [V("753695.995141")], ""),
    ("cot(90)", ["cot(90)"], [V("1e-06")], ""),     # 0.000001 in %.15g
    ("asin(0.5)", ["asin(0.5)"], [V("30.000025")], ""),
    ("asin(1)", ["asin(1)", "arcsin(1)"], [V("90.000076"), V("90.000076")], ""),
    ("acos(0)", ["acos(0)"], [V("90.000076")], ""),
    ("arccos(0.5)", ["arccos(0.5)"], [V("60.000051")], ""),
    ("atan(1)", ["atan(1)", "arctan(1)"], [V("45.000038"), V("45.000038")], ""),
    ("radians", ["rad=1", "sin(30)", "asin(1)", "atan(1)", "sin(pi/2)", "rad=0", "sin(90)"],
     [V("1"), V("-0.988032"), V("1.570796"), V("0.785398"), V("1"), V("0"), V("1")], ""),
    ("sqrt values", ["sqrt(16)", "sqrt(2)", "sqrt(2)^2", "sqrt()"],
     [V("4"), V("1.414214"), V("2.000001"), V("0")], ""),
    ("sqrt(-4)", ["sqrt(-4)"], [V("0")], SQRT_NEG),
    ("case and bracket shape", ["SIN(30)", "sin[30]", "sin{30}"],
     [V("0.5"), V("0.5"), V("0.5")], ""),
    ("foo(2)", ["foo(2)"], [V("0")], UNDEFINED("foo(")),
    ("pi(2)", ["pi(2)"], [V("0")], UNDEFINED("pi(")),
    ("rad(2)", ["rad(2)"], [V("0")], UNDEFINED("rad(")),
    ("argument errors come first", ["foo(y)", "foo(1/0)"], [V("0"), V("0")],
     UNDECLARED("y") + UNDEFINED("foo(") + DIV0 + UNDEFINED("foo(")),
    # variable store
    ("x assigned twice", ["x=3", "x=4", "showvars"],
     [V("3"), V("4"), VARS(*START_VARS, ("x", "4"))], ""),
    ("pi=3", ["pi=3", "pi", "showvars"],
     [V("3"), V("3"), VARS(("", "0"), ("pi", "3"), ("rad", "0"))], ""),
    ("X=2 then x", ["X=2", "x"], [V("2"), V("2")], ""),
    ("reading creates nothing", ["y", "showvars", "y"], [V("0"), VARS(*START_VARS), V("0")],
     UNDECLARED("y") * 2),
    ("y+y reports twice", ["y+y"], [V("0")], UNDECLARED("y") * 2),
    ("sin as a variable", ["sin=5", "sin", "sin(30)"], [V("5"), V("5"), V("0.5")], ""),
    ("tiny literal", ["x=0.0000001", "showvars"],
     [V("0"), VARS(*START_VARS, ("x", "1e-07"))], ""),
    ("creation order", ["x=2.5", "b=-1", "showvars"],
     [V("2.5"), V("-1"), VARS(*START_VARS, ("x", "2.5"), ("b", "-1"))], ""),
    ("rad=1 listed", ["rad=1", "showvars"],
     [V("1"), VARS(("", "0"), ("pi", "3.14159"), ("rad", "1"))], ""),
    # table size
    ("exactly 128 tokens", ["1+" * 64], [V("64")], ""),
    ("129 tokens", ["1+" * 64 + "1"], [V("0")], TOO_MANY),
    ("129 tokens look nothing up", ["q+" * 64 + "q"], [V("0")], TOO_MANY),
]

# Raw-input cases for the console's reading conventions:
# (name, stdin bytes, stdout after the banner, stderr).
RAW_SESSIONS = [
    ("no input at all", b"", "> ", ""),
    ("last line without LF", b"1+2", "> " + V("3") + "> ", ""),
    ("CRLF line ends", b"1+2\r\nexit\r\n", "> " + V("3") + "> ", ""),
    ("CR at the very end", b"2*3\r", "> " + V("6") + "> ", ""),
    ("only one CR is dropped", b"5\r\r\n", "> " + V("5") + "> ", ""),
    ("inner CR is a token", b"5\r+1\n", "> " + V("6") + "> ", ""),
    ("exit after CRLF", b"exit\r\n1\n", "> ", ""),
    ("high bytes are tokens", b"5\xe9\n", "> " + V("5") + "> ", ""),
    ("lone LF", b"\n", "> " + V("0") + "> ", ""),
    ("upper-casing stops at Z", b"help\xe9\n", "> " + V("0") + "> ", UNDECLARED("help")),
]

# ----------------------------------------------------------------------------
# Token tables after the tokenizer, and after the pre-pass.  Each expected
# table lists slots 0..k-1 as (kind, text) or None for an empty slot; every
# later slot must be empty.  Kinds are characters: 'n' name, 'o' number,
# 'f' function head, anything else the character itself.

def slots_of(layout):
    out = []
    for item in layout.split():
        if item == "_":
            out.append(None)
        elif len(item) > 1 and item[0] in "nof" and item[1] == ":":
            out.append((item[0], item[2:]))
        else:
            out.append((item, ""))
    return out


TOKENIZER_TABLES = [
    ("(5*89)+2^2", "( o:5 * o:89 ) + o:2 ^ o:2"),
    ("var={[67+(5+1)]-89}*pi",
     "n:var = ( ( o:67 + ( o:5 + o:1 ) ) - o:89 ) * n:pi"),
    ("2pi", "o:2 n:pi"),
    ("2 PI", "o:2 n:pi"),
    ("sin(90)*cos(90)", "n:sin ( o:90 ) * n:cos ( o:90 )"),
    ("|-8*56|/(56^6-789)", "| - o:8 * o:56 | / ( o:56 ^ o:6 - o:789 )"),
    ("", ""),
    (" \t \t", ""),
    ("3 + 4", "o:3 + o:4"),
    ("PI", "n:pi"),
    ("{1+2}", "( o:1 + o:2 )"),
    ("[1+2]", "( o:1 + o:2 )"),
    ("1.5.2", "o:1.5.2"),
    (".", "o:."),
    ("1e5", "o:1 n:e o:5"),
    ("1,5", "o:1 , o:5"),
    ("--5", "- - o:5"),
    ("x2y", "n:x o:2 n:y"),
    ("1\0" + "2", "o:1 _ o:2"),
    ("1 000", "o:1000"),
    ("s i n(90)", "n:sin ( o:90 )"),
    ("1+" * 64, " ".join(["o:1 +"] * 64)),
]

# (line, variables set beforehand, table after the pre-pass, stderr)
PREPASS_TABLES = [
    ("(5*89)+2^2", {}, "( o:5 * o:89 ) + o:2 ^ o:2", ""),
    ("var={[67+(5+1)]-89}*pi", {},
     "n:var = ( ( o:67 + ( o:5 + o:1 ) ) + o:-89.000000 ) * o:3.141590", ""),
    ("2pi", {}, "_ o:6.283180", ""),
    ("pi2", {}, "o:6.283180 _", ""),
    ("pi*2", {}, "o:3.141590 * o:2", ""),
    ("sin(90)*cos(90)", {}, "f:sin( _ o:90 ) * f:cos( _ o:90 )", ""),
    ("|-8*56|/(56^6-789)", {},
     "| + o:-8.000000 * o:56 | / ( o:56 ^ o:6 + o:-789.000000 )", ""),
    ("-2x", {"x": 4.0}, "+ _ o:-8.000000", ""),
    ("pi", {}, "o:3.141590", ""),
    ("5-3", {}, "o:5 + o:-3.000000", ""),
    ("--5", {}, "- + o:-5.000000", ""),
    ("-1.5.2", {}, "+ o:-1.500000", ""),
    ("-pi", {}, "- o:3.141590", ""),
    ("x=-5", {}, "n:x = + o:-5.000000", ""),
    ("y=x", {}, "n:y = o:0.000000", UNDECLARED("x")),
    ("x2y", {"x": 3.0, "y": 5.0}, "o:6.000000 _ o:5.000000", ""),
    ("2x3", {"x": 4.0}, "_ o:8.000000 o:3", ""),
    ("sqrt(16)", {}, "f:sqrt( _ o:16 )", ""),
    ("foo(2)", {}, "f:foo( _ o:2 )", ""),
    ("2sin(30)", {}, "o:2 f:sin( _ o:30 )", ""),
    ("1e5", {}, "_ o:0.000000 o:5", UNDECLARED("e")),
    ("2x=5", {}, "o:2 n:x = o:5", ""),
    ("sin[30]", {}, "f:sin( _ o:30 )", ""),
    ("x=0.0000001*x", {"x": 0.0000001}, "n:x = o:0.0000001 * o:0.000000", ""),
    ("1+" * 63 + "1q", {}, " ".join(["o:1 +"] * 63) + " o:1 n:q", ""),
]

# ----------------------------------------------------------------------------
# Number text and numeric conversion (the two conversions every slot passes
# through).

NUMBER_TEXT = [
    (3.0, "3.000000"),
    (0.5, "0.500000"),
    (-3.0, "-3.000000"),
    (2.0 / 3.0, "0.666667"),
    (1e20, "100000000000000000000.000000"),
    (-0.0000004, "-0.000000"),
    (1.0 / 3.0, "0.333333"),
    (-2.5, "-2.500000"),
    (float("inf"), "inf"),
    (float("-inf"), "-inf"),
    (float("nan"), "nan"),
    (-float("nan"), "-nan"),
    (2.0 ** 200, str(2 ** 200) + ".000000"),   # never truncated
]

TO_NUMBER = [
    ("12.5.3", 12.5),
    (".", 0.0),
    ("", 0.0),
    ("-3.000000", -3.0),
    ("007", 7.0),
    ("1.5x", 1.5),
    ("..5", 0.0),
    (".5.", 0.5),
    ("5.", 5.0),
    ("  12", 12.0),
    ("1e3", 1000.0),
    ("1e", 1.0),
    ("1e+", 1.0),
    ("2E-2", 0.02),
    ("0x10", 16.0),
    ("0x1p3", 8.0),
    ("0x.8", 0.5),
    ("0x", 0.0),
    ("0xg", 0.0),
    ("-", 0.0),
    ("inf", float("inf")),
    ("-Infinity", float("-inf")),
    ("1e999", float("inf")),
    ("3\0" + "4", 3.0),
    ("\uffe9" + "1", 0.0),
]

NAN_TEXTS = [("nan", False), ("-nan", True), ("NaN(123)", False), ("-NAN", True)]

# C library results on edge arguments, as the program's platform gives them,
# written as their "%f" text.
NAN = float("nan")
C_EDGES = [
    ("pow", (-2.0, 0.5), "-nan"),
    ("pow", (0.0, -1.0), "inf"),
    ("pow", (-0.0, -1.0), "-inf"),
    ("pow", (-0.0, -2.0), "inf"),
    ("pow", (0.0, -0.5), "inf"),
    ("pow", (-10.0, 309.0), "-inf"),
    ("pow", (-10.0, 310.0), "inf"),
    ("pow", (10.0, -400.0), "0.000000"),
    ("pow", (-NAN, 0.0), "1.000000"),
    ("pow", (1.0, -NAN), "1.000000"),
    ("pow", (-NAN, 2.0), "-nan"),
    ("pow", (-NAN, 3.0), "nan"),
    ("pow", (-NAN, -1.0), "nan"),
    ("pow", (NAN, 3.0), "nan"),
    ("pow", (2.0, -NAN), "-nan"),
    ("pow", (NAN, -NAN), "nan"),
    ("pow", (-1.0, float("inf")), "1.000000"),
    ("pow", (float("-inf"), 3.0), "-inf"),
    ("pow", (float("-inf"), -3.0), "-0.000000"),
    ("pow", (0.5, float("-inf")), "inf"),
    ("pow", (-0.0, 3.0), "-0.000000"),
    ("pow", (2.0, 0.5), "1.414214"),
    ("asin", (2.0,), "nan"),
    ("asin", (float("inf"),), "nan"),
    ("asin", (-NAN,), "-nan"),
    ("acos", (-2.0,), "nan"),
    ("sin", (float("inf"),), "-nan"),
    ("cos", (float("-inf"),), "-nan"),
    ("tan", (float("inf"),), "-nan"),
    ("sin", (-NAN,), "-nan"),
    ("atan2", (-NAN, 1.0), "-nan"),
    ("atan2", (float("inf"), 1.0), "1.570796"),
    ("sqrt", (float("inf"),), "inf"),
    ("sqrt", (-0.0,), "-0.000000"),
    ("fabs", (-NAN,), "nan"),
    ("div", (1.0, 0.0), "inf"),
    ("div", (1.0, -0.0), "-inf"),
    ("sub", (float("inf"), float("inf")), "-nan"),
    ("mul", (0.0, float("inf")), "-nan"),
    ("add", (1.0, -NAN), "-nan"),
]

C_FUNCS = {
    "pow": zm.c_pow, "asin": zm.c_asin, "acos": zm.c_acos, "sin": zm.c_sin,
    "cos": zm.c_cos, "tan": zm.c_tan, "atan2": zm.c_atan2, "sqrt": zm.c_sqrt,
    "fabs": zm.c_fabs, "div": zm.c_div, "sub": zm.c_sub, "mul": zm.c_mul,
    "add": zm.c_add,
}

# Whole lines whose values are non-finite (printing and reading back "-nan").
NONFINITE_SESSIONS = [
    ("asin(2) prints nan", ["asin(2)"], [V("nan")], ""),
    ("cot(0) prints inf", ["cot(0)"], [V("inf")], ""),
    ("cot(-0): 0 + -0 is +0", ["cot(-0)"], [V("inf")], ""),
    ("cot of -0", ["z=-1", "cot(0*z)"], [V("-1"), V("-inf")], ""),
    ("overflowing power", ["10^400", "-10^401"], [V("inf"), V("-inf")], ""),
    ("inf-inf is -nan", ["x=10^400", "x-x", "|x-x|"], [V("inf"), V("-nan"), V("nan")], ""),
    ("negative base, broken exponent", ["-2^0.5"], [V("-nan")], ""),
    ("division by a NaN", ["y=0*10^400", "5/y"], [V("-nan"), V("5")], DIV0),
    ("sqrt of a NaN", ["y=0*10^400", "sqrt(y)"], [V("-nan"), V("0")], SQRT_NEG),
    ("NaN rad means degrees", ["rad=0*10^400", "sin(90)"], [V("-nan"), V("1")], ""),
    ("0^-1", ["0^-1"], [V("inf")], ""),
    # number text is never cut short, so huge intermediate values survive
    ("huge intermediate values", ["10^60/10^59", "-10^101/10^100", "x=2^300", "x/2^299"],
     [V("10"), V("-10"), V("2.03703597633449e+90"), V("2")], ""),
]

# Arguments at which the C library is compared with the model's wrappers on
# this machine (only when the library can be loaded): every pairing of these
# for pow, every single one for the others.
PLATFORM_ARGS = [0.0, -0.0, 1.0, -1.0, 0.5, -0.5, 2.0, -2.0, 3.0, -3.0, 1.5, 1e300, -1e300,
                 309.0, -309.0, 1e-320, float("inf"), float("-inf"), NAN, -NAN]


def platform_libm():
    try:
        import ctypes
        import ctypes.util
        path = ctypes.util.find_library("m")
        if not path:
            return None
        libm = ctypes.CDLL(path)
    except OSError:
        return None
    for name, arity in (("pow", 2), ("atan2", 2), ("sin", 1), ("cos", 1), ("tan", 1),
                        ("asin", 1), ("acos", 1), ("sqrt", 1), ("fabs", 1)):
        func = getattr(libm, name)
        func.restype = ctypes.c_double
        func.argtypes = [ctypes.c_double] * arity
    return libm


def same_double(a, b):
    if math.isnan(a) or math.isnan(b):
        return zm.c_format_f(a) == zm.c_format_f(b)
    return a == b and math.copysign(1, a) == math.copysign(1, b)


def check_platform():
    libm = platform_libm()
    if libm is None:
        print("note: C math library not loadable, platform comparison skipped")
        return
    for x in PLATFORM_ARGS:
        for y in PLATFORM_ARGS:
            report("libm pow(%r, %r)" % (x, y), same_double(libm.pow(x, y), zm.c_pow(x, y)),
                   "  libm %r model %r" % (libm.pow(x, y), zm.c_pow(x, y)))
        for name in ("sin", "cos", "tan", "asin", "acos", "fabs"):
            want, got = getattr(libm, name)(x), C_FUNCS[name](x)
            report("libm %s(%r)" % (name, x), same_double(want, got),
                   "  libm %r model %r" % (want, got))
        want, got = libm.atan2(x, 1.0), zm.c_atan2(x, 1.0)
        report("libm atan2(%r, 1)" % x, same_double(want, got), "  libm %r model %r" % (want, got))
        if not x < 0.0:
            want, got = libm.sqrt(x), zm.c_sqrt(x)
            report("libm sqrt(%r)" % x, same_double(want, got), "  libm %r model %r" % (want, got))


# ----------------------------------------------------------------------------
# Runner

passed = 0
failed = 0


def report(name, ok, detail=""):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
        print("FAIL %s%s" % (name, ("\n" + detail) if detail else ""))


def expected_session(lines, outputs):
    text = BANNER
    for out in outputs:
        text += "> "
        if out is EXITED:
            return text
        text += out
    assert len(outputs) == len(lines), "one output per line"
    return text + "> "


def as_bytes(text):
    return bytes(ord(c) & 0xFF for c in text)


def check_session(name, lines, outputs, stderr):
    data = b"".join(as_bytes(line) + b"\n" for line in lines)
    out, err, code = zm.run(data)
    want_out = as_bytes(expected_session(lines, outputs))
    want_err = as_bytes(stderr)
    ok = out == want_out and err == want_err and code == 0
    detail = ""
    if not ok:
        detail = ("  input  %r\n  stdout %r\n  want   %r\n  stderr %r\n  want   %r\n  code %r"
                  % (data, out[len(BANNER):], want_out[len(BANNER):], err, want_err, code))
    report(name, ok, detail)


def check_raw(name, data, stdout_after_banner, stderr):
    out, err, code = zm.run(data)
    want_out = as_bytes(BANNER + stdout_after_banner)
    want_err = as_bytes(stderr)
    ok = out == want_out and err == want_err and code == 0
    report(name, ok, "  stdout %r\n  stderr %r\n  code %r" % (out[len(BANNER):], err, code))


def table_of(calc):
    return [(chr(calc.kinds[i]) if calc.kinds[i] != zm.TOKEN_EMPTY else None,
             calc.texts[i] if calc.kinds[i] != zm.TOKEN_EMPTY else None)
            for i in range(zm.MAX_TOKENS)]


def expected_table(layout):
    slots = slots_of(layout)
    table = [(kind, text) if kind is not None else (None, None)
             for kind, text in ((s if s else (None, None)) for s in slots)]
    return table + [(None, None)] * (zm.MAX_TOKENS - len(table))


def line_units(line):
    units = zm.units_from_bytes(as_bytes(line))
    return [u - 0x20 if 0x61 <= u <= 0x7A else u for u in units]


def check_tokenizer(line, layout):
    calc = zm.Calculator(bytearray(), bytearray())
    ok = calc.tokenize(line_units(line))
    got = table_of(calc)
    want = expected_table(layout)
    good = ok and got == want and calc.token_count == zm.MAX_TOKENS
    report("tokenize %r" % line, good, "  got  %r" % [g for g in got if g != (None, None)])


def check_prepass(line, variables, layout, stderr):
    err = bytearray()
    calc = zm.Calculator(bytearray(), err)
    for name, value in variables.items():
        calc.set_variable(name, value)
    calc.tokenize(line_units(line))
    calc.resolve_names()
    got = table_of(calc)
    want = expected_table(layout)
    good = got == want and bytes(err) == as_bytes(stderr)
    report("pre-pass %r" % line, good,
           "  got  %r\n  err %r" % ([g for g in got[:20]], bytes(err)))


def main():
    global BANNER
    if len(sys.argv) != 2:
        print("usage: %s VERSION" % sys.argv[0])
        return 2
    DOC_BANNER[1] = "            Zorvex v" + sys.argv[1]
    BANNER = lines_text(DOC_BANNER)
    zm.set_version(sys.argv[1])
    # the banner is the first output, the first prompt follows it
    out, err, code = zm.run(b"")
    report("banner then prompt", out == as_bytes(BANNER + "> ") and err == b"" and code == 0)

    for name, lines, outputs, stderr in SESSIONS + NONFINITE_SESSIONS:
        check_session(name, lines, outputs, stderr)
    for name, data, stdout_after, stderr in RAW_SESSIONS:
        check_raw(name, data, stdout_after, stderr)
    for line, layout in TOKENIZER_TABLES:
        check_tokenizer(line, layout)
    for line, variables, layout, stderr in PREPASS_TABLES:
        check_prepass(line, variables, layout, stderr)

    for value, text in NUMBER_TEXT:
        got = zm.number_text(value)
        report("number text of %r" % value, got == text, "  got %r want %r" % (got, text))
    for text, value in TO_NUMBER:
        got = zm.to_number(text)
        good = got == value and math.copysign(1, got) == math.copysign(1, value)
        report("toNumber %r" % text, good, "  got %r want %r" % (got, value))
    for text, negative in NAN_TEXTS:
        got = zm.to_number(text)
        good = math.isnan(got) and (math.copysign(1, got) < 0) == negative
        report("toNumber %r" % text, good, "  got %r" % got)
    for fname, args, text in C_EDGES:
        got = zm.c_format_f(C_FUNCS[fname](*args))
        report("C %s%r" % (fname, args), got == text, "  got %r want %r" % (got, text))

    check_platform()

    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
