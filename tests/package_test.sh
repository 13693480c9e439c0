#!/usr/bin/env bash
# Checks what a user installs: `cmake --install` into a scratch prefix, and
# the .deb that `cpack -G DEB` makes, unpacked with dpkg -x into a scratch
# root. Each must hold bin/zorvex, the compressed manual page, the bash
# completion, the copyright file and the changelog; the installed program
# must answer a short dialogue exactly, the installed page must render
# cleanly and list the program's options, and the completion must complete
# them. Where lintian is installed, it must find nothing in the .deb.
# Last, scripts/install-deps must ask apt-get for exactly the missing
# packages, through sudo when not root, and for nothing when none is missing.
#
# Usage: tests/package_test.sh BUILD-DIRECTORY
# Needs cmake, cpack and dpkg-deb; the page check needs groff and man.
set -u

build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passes=0
failures=0

fail() {
  echo "package_test: $*"
  return 1
}

# The dialogue: an assignment, a use of it, an implicit product, an
# undeclared variable (its error line on standard error) and EXIT. The
# answers are written out here, so that a wrong program cannot pass by
# agreeing with itself.
printf 'x=2*(3+4)\nx/4\n2pi\ny+1\nexit\n' >"$work/dialogue.in"
printf '> = 14\n> = 3.5\n> = 6.28318\n> = 1\n> ' >"$work/answers"
printf "Error: Variable 'y' is undeclared. It is used as 0.0 .\n" >"$work/dialogue.err"

# The banner, as the program in the build tree prints it before its first
# prompt; the installed program must print the same, then the answers.
"$build/zorvex" </dev/null | head -c -2 >"$work/dialogue.out"
cat "$work/answers" >>"$work/dialogue.out"

# run_dialogue PROGRAM: the program must print exactly the banner and the
# answers above, the error line on standard error, and end with status 0.
run_dialogue() {
  local program=$1 ok=0
  "$program" <"$work/dialogue.in" >"$work/out" 2>"$work/err"
  local status=$?
  [ "$status" -eq 0 ] || { fail "$program exited with status $status"; ok=1; }
  if ! cmp -s "$work/out" "$work/dialogue.out"; then
    fail "$program: standard output differs:"
    diff "$work/dialogue.out" "$work/out"
    ok=1
  fi
  if ! cmp -s "$work/err" "$work/dialogue.err"; then
    fail "$program: standard error differs:"
    diff "$work/dialogue.err" "$work/err"
    ok=1
  fi
  return $ok
}

# The files under the prefix, besides the program.
page=share/man/man1/zorvex.1.gz
completion=share/bash-completion/completions/zorvex
documents=(share/doc/zorvex/copyright share/doc/zorvex/changelog.gz)

# check_completion FILE: bash with FILE loaded completes WORD to exactly
# the words after it, for each case; the last case is a file name.
check_completion() {
  local ok=0 word want got
  : >"$work/zorvex-notes.txt"
  while IFS='|' read -r word want; do
    got=$(cd "$work" && bash -c 'source "$1"; COMP_WORDS=(zorvex "$2"); COMP_CWORD=1
      _zorvex; printf "%s " "${COMPREPLY[@]}"' completion "$1" "$word" 2>&1)
    [ "$got" = "$want" ] || { fail "completing '$word' gives '$got', not '$want'"; ok=1; }
  done <<'CASES'
--q|--quiet 
--ver|--version 
--e|--expression 
-|-e --expression -q --quiet -h --help -V --version 
zorvex-no|zorvex-notes.txt 
CASES
  return $ok
}

# check_tree ROOT: the program, the page, the completion and the documents
# are under ROOT, the program answers the dialogue, the page renders and
# documents the program's options, and the completion completes them.
check_tree() {
  local root=$1 ok=0 file
  [ -x "$root/bin/zorvex" ] || { fail "no executable $root/bin/zorvex"; return 1; }
  for file in "$page" "$completion" "${documents[@]}"; do
    [ -f "$root/$file" ] || { fail "no file $root/$file"; return 1; }
  done
  gzip -t "$root/${documents[1]}" || { fail "the changelog is no gzip file"; ok=1; }
  run_dialogue "$root/bin/zorvex" || ok=1
  if ! sh "$here/manpage_test.sh" "$root/$page" "$root/bin/zorvex" >"$work/page" 2>&1; then
    fail "the installed manual page does not render cleanly or lacks options:"
    cat "$work/page"
    ok=1
  fi
  check_completion "$root/$completion" || ok=1
  return $ok
}

# check_lintian DEB: lintian, where installed, reports no error and no
# warning about the package.
check_lintian() {
  command -v lintian >/dev/null 2>&1 || { echo "package_test: lintian not installed, not run"; return 0; }
  lintian "$1" >"$work/lintian" 2>/dev/null
  if grep -q '^[EW]: ' "$work/lintian"; then
    fail "lintian reports:"
    cat "$work/lintian"
    return 1
  fi
}

install_prefix() {
  if ! cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    fail "cmake --install failed"
    return 1
  fi
  check_tree "$work/prefix"
}

debian_package() {
  if ! (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    fail "cpack -G DEB failed"
    return 1
  fi
  local debs=("$work"/deb/*.deb)
  [ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || { fail "cpack made no single .deb: ${debs[*]}"; return 1; }
  local deb=${debs[0]} ok=0
  dpkg-deb --field "$deb" >"$work/fields"
  local field
  for field in "Package: zorvex" "Architecture: $(dpkg --print-architecture)" "Section: math"; do
    grep -qx "$field" "$work/fields" || { fail "the package lacks the field \"$field\""; ok=1; }
  done
  grep -q '^Version: [0-9]' "$work/fields" || { fail "the package has no version"; ok=1; }
  grep -q '^Maintainer: .' "$work/fields" || { fail "the package has no maintainer"; ok=1; }
  grep -q '^Description: .' "$work/fields" || { fail "the package has no description"; ok=1; }
  # libedit, whether linked or loaded when a terminal asks for an editor,
  # must be named among the package's relations.
  if grep -qa 'libedit\.so' "$build/zorvex"; then
    grep -q '^\(Depends\|Recommends\):.*libedit2' "$work/fields" ||
      { fail "the program uses libedit but the package names no libedit2"; ok=1; }
  fi
  grep -q '^Depends:.*libc6' "$work/fields" || { fail "the package does not depend on libc6"; ok=1; }
  # Nothing but the files of an installation, all owned by root.
  dpkg-deb --contents "$deb" >"$work/contents"
  if awk '$1 !~ /^d/ {print $6}' "$work/contents" | sort | grep -vx -e ./usr/bin/zorvex \
      -e "./usr/$page" -e "./usr/$completion" -e "./usr/${documents[0]}" \
      -e "./usr/${documents[1]}" | grep -q .; then
    fail "the package holds unexpected files:"
    cat "$work/contents"
    ok=1
  fi
  if awk '{print $2}' "$work/contents" | grep -vqx root/root; then
    fail "the package holds files not owned by root"
    ok=1
  fi
  check_lintian "$deb" || ok=1
  dpkg -x "$deb" "$work/root" || { fail "dpkg -x failed"; return 1; }
  check_tree "$work/root/usr" || ok=1
  return $ok
}

# install_script: scripts/install-deps run against stand-ins for dpkg-query
# (clang and tmux missing), id, sudo and apt-get, which log their calls.
install_script() {
  local fakes=$work/fakes ok=0 case user missing want
  mkdir -p "$fakes"
  cat >"$fakes/dpkg-query" <<'FAKE'
#!/bin/sh
for package; do :; done
case " $FAKE_MISSING " in
  *" $package "*) echo "unknown ok not-installed" ;;
  *) echo "install ok installed" ;;
esac
FAKE
  printf '#!/bin/sh\necho "apt-get $*" >>"$FAKE_LOG"\n' >"$fakes/apt-get"
  printf '#!/bin/sh\necho sudo >>"$FAKE_LOG"\nexec "$@"\n' >"$fakes/sudo"
  printf '#!/bin/sh\necho "$FAKE_UID"\n' >"$fakes/id"
  chmod +x "$fakes"/*
  # USER|MISSING|GROUP|the log wanted, calls separated by ";".
  while IFS='|' read -r user missing case want; do
    : >"$work/calls"
    FAKE_UID=$user FAKE_MISSING=$missing FAKE_LOG=$work/calls PATH=$fakes:$PATH \
      bash "$here/../scripts/install-deps" $case 2>/dev/null || { fail "install-deps $case failed"; ok=1; }
    [ "$(paste -sd ';' "$work/calls")" = "$want" ] ||
      { fail "install-deps $case as $user, missing '$missing': $(paste -sd ';' "$work/calls")"; ok=1; }
  done <<'CASES'
0|clang tmux|ci|apt-get update -qq;apt-get install -y -qq tmux clang
0|clang tmux|test|apt-get update -qq;apt-get install -y -qq tmux
0|clang|build|
1000|clang|ci|sudo;apt-get update -qq;sudo;apt-get install -y -qq clang
CASES
  return $ok
}

for check in install_prefix debian_package install_script; do
  if "$check"; then
    passes=$((passes + 1))
  else
    echo "package_test: $check failed"
    failures=$((failures + 1))
  fi
done
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
