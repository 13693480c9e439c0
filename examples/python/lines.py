#!/usr/bin/env python3
"""Prints "= " and the value of each line of standard input, as zorvex -q
does, through the shared library libzorvex.so.0 and ctypes: no compiled
binding. Error lines go to standard error.

The library is found as any program finds it (the ld.so cache, or
LD_LIBRARY_PATH for one installed elsewhere)."""

import ctypes
import sys

ZORVEX_OK = 0
ZORVEX_FORMAT_CAPACITY = 40  # from zorvex.h

handle_p = ctypes.c_void_p
size_t_p = ctypes.POINTER(ctypes.c_size_t)
try:
    library = ctypes.CDLL("libzorvex.so.0")
except OSError as error:
    sys.exit("lines.py: cannot load the library: %s" % error)
for name, result, arguments in [
    ("zorvex_create", ctypes.c_int, [ctypes.POINTER(handle_p)]),
    ("zorvex_destroy", None, [handle_p]),
    ("zorvex_evaluate", ctypes.c_int,
     [handle_p, ctypes.c_char_p, ctypes.c_size_t, ctypes.POINTER(ctypes.c_double)]),
    # A void pointer, not c_char_p: the text may hold NUL, its length says where it ends.
    ("zorvex_errors", ctypes.c_void_p, [handle_p, size_t_p]),
    ("zorvex_format", ctypes.c_int, [ctypes.c_double, ctypes.c_char_p, ctypes.c_size_t, size_t_p]),
    ("zorvex_status_text", ctypes.c_char_p, [ctypes.c_int]),
]:
    function = getattr(library, name)
    function.restype = result
    function.argtypes = arguments


def check(status):
    if status != ZORVEX_OK:
        sys.stderr.write("lines.py: %s\n" % library.zorvex_status_text(status).decode())
        sys.exit(1)


def main():
    calculator = handle_p()
    check(library.zorvex_create(ctypes.byref(calculator)))
    value = ctypes.c_double()
    length = ctypes.c_size_t()
    text = ctypes.create_string_buffer(ZORVEX_FORMAT_CAPACITY)
    out, err = sys.stdout.buffer, sys.stderr.buffer
    try:
        # Lines are bytes, ended by a line feed alone, as the program reads them.
        for line in sys.stdin.buffer:
            line = line[:-1] if line.endswith(b"\n") else line
            check(library.zorvex_evaluate(calculator, line, len(line), ctypes.byref(value)))
            errors = library.zorvex_errors(calculator, ctypes.byref(length))
            if length.value:
                out.flush()
                err.write(ctypes.string_at(errors, length.value))
                err.flush()
            check(library.zorvex_format(value, text, len(text), ctypes.byref(length)))
            out.write(b"= " + text.raw[:length.value] + b"\n")
    finally:
        library.zorvex_destroy(calculator)


if __name__ == "__main__":
    main()
