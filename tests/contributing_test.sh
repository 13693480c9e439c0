#!/usr/bin/env bash
# Every file and directory CONTRIBUTING.md names exists: a file moved or
# renamed must take its row of the guide along.
#
# Usage: tests/contributing_test.sh SOURCE-ROOT
#
# A name is a word in backquotes with a slash in it (engine/zorvex.h,
# completion/) or a file name with an extension (CMakeLists.txt), taken
# from the source root. Templates (NAME.in, name.h) and bare extensions
# (.out) are no names.
set -u
root=$1
source "$(dirname "$0")/verdict.sh"
guide=$root/CONTRIBUTING.md
[ -f "$guide" ] || { echo "FAIL: $guide is missing"; exit 1; }

names=$(grep -o '`[^`]*`' "$guide" | tr -d '`' | grep -E '^[A-Za-z0-9_.-]*(/[A-Za-z0-9_.-]*)+$|^[A-Za-z0-9_-]+\.[A-Za-z0-9.]+$' |
  grep -vE 'NAME|(^|/)name[._]|\.\.\.|//' | sort -u)
[ -n "$names" ]
verdict "the guide names files" $? "no file name found in $guide"
for name in $names; do
  [ -e "$root/$name" ]
  verdict "$name" $? "CONTRIBUTING.md names $name, which does not exist"
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
