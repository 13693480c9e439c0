#!/bin/sh
# Checks that a manual page renders cleanly and, given the program, that it
# documents exactly the program's options.
#
# Usage: tests/manpage_test.sh PATH-TO-PAGE [PROGRAM]
#
# The page (plain or gzip-compressed) fails when
#   - groff -man -ww -z prints anything or exits non-zero,
#   - man -l (at 80 columns) exits non-zero or writes anything to
#     standard error (with groff warnings enabled where man supports it),
#   - the rendering has no EVALUATION ORDER section heading,
#   - with PROGRAM: an option of `PROGRAM --help` is missing from the
#     page's OPTIONS section, or that section has an option --help lacks.
# Needs groff and man (Debian packages groff-base and man-db).

page=$1
program=$2
problems=0

fail() {
    echo "manpage_test: $*" >&2
    problems=$((problems + 1))
}

finish() {
    rm -rf "$work"
    if [ "$problems" -eq 0 ]; then
        echo "1 passed, 0 failed"
        exit 0
    fi
    echo "0 passed, 1 failed"
    exit 1
}

work=$(mktemp -d) || { echo "manpage_test: cannot create a temporary directory" >&2; exit 1; }

if [ -z "$page" ]; then
    fail "usage: $0 PATH-TO-PAGE"
    finish
fi
if [ ! -f "$page" ] || [ ! -r "$page" ]; then
    fail "$page: no such readable file"
    finish
fi
for tool in groff man; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        fail "$tool is not installed"
    fi
done
[ "$problems" -eq 0 ] || finish

# groff reads only plain pages: an installed, compressed one is unpacked.
case $page in
    *.gz)
        gzip -dc "$page" >"$work/page" || { fail "$page: cannot be decompressed"; finish; }
        page=$work/page
        ;;
esac

# 1. groff with all warnings enabled must stay silent.
groff -man -ww -z "$page" >"$work/groff.out" 2>&1
status=$?
if [ "$status" -ne 0 ]; then
    fail "groff -man -ww -z exited with status $status"
fi
if [ -s "$work/groff.out" ]; then
    fail "groff -man -ww -z reported:"
    cat "$work/groff.out" >&2
fi

# 2. man must render the page without any message on standard error.
# MANROFFSEQ= stops a preprocessor line in the page from changing the
# pipeline; --warnings passes groff's warnings on to standard error.
warn=
if man --help 2>&1 | grep -q -e '--warnings'; then
    warn=--warnings
fi
MANROFFSEQ='' MANWIDTH=80 MANPAGER=cat PAGER=cat \
    man $warn -l "$page" >"$work/man.out" 2>"$work/man.err"
status=$?
if [ "$status" -ne 0 ]; then
    fail "man $warn -l exited with status $status"
fi
if [ -s "$work/man.err" ]; then
    fail "man $warn -l reported:"
    cat "$work/man.err" >&2
fi

# 3. The rendering must contain the EVALUATION ORDER section. Overstrike
# and colour sequences are removed in case man kept its formatting.
bs=$(printf '\b')
esc=$(printf '\033')
sed -e "s/.$bs//g" -e "s/$esc\\[[0-9;]*m//g" "$work/man.out" >"$work/man.txt"
if ! grep -q '^EVALUATION ORDER[[:space:]]*$' "$work/man.txt"; then
    fail "the rendering has no EVALUATION ORDER section"
fi

# 4. The options: each written as in "-e, --expression=EXPR", taken from the
# lines of --help that begin with one and from the tags of the page's
# OPTIONS section (indented by exactly seven columns).
options_in() {
    grep -o -e '--\{0,1\}[A-Za-z][A-Za-z-]*\(=[A-Z]*\)\{0,1\}' | sort -u
}
if [ -n "$program" ]; then
    if ! "$program" --help >"$work/help"; then
        fail "$program --help failed"
    fi
    grep '^ *-' "$work/help" | options_in >"$work/help.options"
    sed -n '/^OPTIONS/,/^[A-Z]/p' "$work/man.txt" | grep '^       -' | options_in \
        >"$work/page.options"
    if [ ! -s "$work/help.options" ]; then
        fail "$program --help lists no options"
    fi
    if ! diff "$work/help.options" "$work/page.options" >"$work/options.diff"; then
        fail "the options of --help (<) and of the page's OPTIONS (>) differ:"
        cat "$work/options.diff" >&2
    fi
fi

finish
