#!/bin/sh
# Checks that a manual page renders cleanly.
#
# Usage: tests/manpage_test.sh PATH-TO-PAGE
#
# The page fails when
#   - groff -man -ww -z prints anything or exits non-zero,
#   - man -l (at 80 columns) exits non-zero or writes anything to
#     standard error (with groff warnings enabled where man supports it),
#   - the rendering has no EVALUATION ORDER section heading.
# Needs groff and man (Debian packages groff-base and man-db).

page=$1
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

finish
