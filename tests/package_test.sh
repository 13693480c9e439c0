#!/usr/bin/env bash
# Checks what a user installs: `cmake --install` into a scratch prefix, and
# the three .deb files that `cpack -G DEB` makes (zorvex, libzorvex0,
# libzorvex-dev), unpacked with dpkg -x into a scratch root. Each must hold
# bin/zorvex, the compressed manual page, the bash completion, the copyright
# file and the changelog; the installed program must answer a short dialogue
# exactly, the installed page must render cleanly and list the program's
# options, and the completion must complete them. The library must export
# the C API alone, the program must not load it, and the examples under
# examples/ (C through pkg-config, C++ through find_package, Python through
# ctypes), built against the installed files alone, must print what the
# program prints for the same lines. Where lintian is installed, it must
# find nothing in any package, not even a note.
# Last, scripts/install-deps must ask apt-get for exactly the missing
# packages, through sudo when not root, and for nothing when none is missing.
#
# Usage: tests/package_test.sh BUILD-DIRECTORY
# Needs cmake, cpack, dpkg-deb, dpkg-gensymbols, objdump, cc, pkg-config and
# python3; the page check needs groff and man.
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
zsh_completion=share/zsh/vendor-completions/_zorvex
fish_completion=share/fish/vendor_completions.d/zorvex.fish
documents=(share/doc/zorvex/copyright share/doc/zorvex/changelog.gz)

# The zsh driver: an interactive zsh on a pseudo-terminal (zpty), with the
# completions of the directory DIR, is typed "zorvex WORD" and a key that
# completes the word. Every match offered is caught on its way to compadd
# and printed, one to a line; the line as completion left it goes to OUT.
cat >"$work/complete.zsh" <<'ZSH'
zmodload zsh/zpty || exit 1
dir=$1 word=$2 out=$3
rm -f $out $out.matches
zpty shell zsh -f -i
zpty -w shell "PS1=; fpath=(${(q)dir} \$fpath); autoload -U compinit; compinit -u -D"
zpty -w shell "compadd() { if (( ! \${@[(I)-[OAD]*]} )); then local -a m;" \
  "builtin compadd -O m \"\$@\"; print -rl -- \"\${m[@]}\" >>${(q)out}.matches; fi;" \
  "builtin compadd \"\$@\"; }"
zpty -w shell "capture() { zle complete-word; print -r -- \"\$BUFFER\" >${(q)out}.tmp;" \
  "mv ${(q)out}.tmp ${(q)out}; }; zle -N capture; bindkey '^T' capture"
zpty -w -n shell "zorvex $word"$'\x14'
for i in {1..200}; do [[ -e $out ]] && break; sleep 0.1; done
zpty -d shell
[[ -e $out ]] || { print "zsh did not complete"; exit 1; }
[[ -e $out.matches ]] && grep -v '^$' $out.matches
exit 0
ZSH

# completions SHELL ROOT WORD: the words SHELL offers for "zorvex WORD" with
# the completion installed under ROOT, sorted, each followed by a blank.
completions() {
  local shell=$1 root=$2 word=$3
  case $shell in
    bash)
      (cd "$work" && bash -c 'source "$1"; COMP_WORDS=(zorvex "$2"); COMP_CWORD=1
        _zorvex; printf "%s\n" "${COMPREPLY[@]}"' completion "$root/$completion" "$word" 2>&1)
      ;;
    zsh)
      (cd "$work" && zsh -f "$work/complete.zsh" "$root/${zsh_completion%/*}" "$word" \
        "$work/zsh.line" 2>&1)
      ;;
    fish)
      # fish looks for the completion of a command it finds on the PATH
      # in the vendor_completions.d directory under each of XDG_DATA_DIRS.
      # shellcheck disable=SC2016 # fish expands $WORD
      (cd "$work" && HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_DIRS=$root/share \
        PATH=$root/bin:$PATH WORD=$word fish -c 'complete -C "zorvex $WORD"' 2>&1 | cut -f1)
      ;;
  esac | sort -u | tr '\n' ' '
}

# check_completion ROOT: bash, zsh and fish, with the completions under
# ROOT, each complete WORD to exactly the words after it, for each case; a
# lone dash gives every option --help lists, and the last case is a file.
# Where zsh offers one word, the line it leaves holds that word.
check_completion() {
  local root=$1 ok=0 shell word want got options line
  options=$("$root/bin/zorvex" --help |
    awk '/^ +-/ {for (i = 1; i <= NF && $i ~ /^-/; i++) {sub(/[,=].*/, "", $i); print $i}}' |
    sort | tr '\n' ' ')
  [ -n "$options" ] || { fail "--help lists no options"; return 1; }
  : >"$work/zorvex-notes.txt"
  for shell in bash zsh fish; do
    while IFS='|' read -r word want; do
      want=${want:-$options}
      got=$(completions "$shell" "$root" "$word")
      [ "$got" = "$want" ] || { fail "$shell completes '$word' to '$got', not '$want'"; ok=1; }
      if [ "$shell" = zsh ] && [ "$want" = "${want%% *} " ]; then
        line=$(cat "$work/zsh.line")
        case $line in
          "zorvex $want" | "zorvex ${want% }=") ;;
          *) fail "zsh leaves the line 'zorvex $word' as '$line'"; ok=1 ;;
        esac
      fi
    done <<'CASES'
--q|--quiet 
--ver|--version 
--e|--expression 
-|
zorvex-no|zorvex-notes.txt 
CASES
  done
  return $ok
}

# check_tree ROOT: the program, the page, the completion and the documents
# are under ROOT, the program answers the dialogue, the page renders and
# documents the program's options, and the completion completes them.
check_tree() {
  local root=$1 ok=0 file
  [ -x "$root/bin/zorvex" ] || { fail "no executable $root/bin/zorvex"; return 1; }
  for file in "$page" "$completion" "$zsh_completion" "$fish_completion" "${documents[@]}"; do
    [ -f "$root/$file" ] || { fail "no file $root/$file"; return 1; }
  done
  gzip -t "$root/${documents[1]}" || { fail "the changelog is no gzip file"; ok=1; }
  run_dialogue "$root/bin/zorvex" || ok=1
  if ! sh "$here/manpage_test.sh" "$root/$page" "$root/bin/zorvex" >"$work/page" 2>&1; then
    fail "the installed manual page does not render cleanly or lacks options:"
    cat "$work/page"
    ok=1
  fi
  check_completion "$root" || ok=1
  return $ok
}


# The lines the examples and the program are given: values, assignments, an
# implicit product, every kind of error line, radians, a NUL byte, a blank
# line and a last line without its line feed.
printf '1+1\nx=2*(3+4)\nx/4\n2pi\n8/0\nsqrt(-4)+foo(2)\nbar*2\n\n1/3*3\n-5-3\n|-2|^3\n' \
  >"$work/lines.in"
printf 'rad=1\nsin(pi/2)\n[2+3]*{4}\n3\0+4\n7' >>"$work/lines.in"
"$build/zorvex" -q <"$work/lines.in" >"$work/lines.out" 2>"$work/lines.err"

# same_as_program NAME COMMAND...: COMMAND given the lines prints exactly
# what `zorvex -q` prints, on both streams, and exits with status 0.
same_as_program() {
  local name=$1 status
  shift
  "$@" <"$work/lines.in" >"$work/$name.out" 2>"$work/$name.err"
  status=$?
  [ "$status" -eq 0 ] || { fail "the $name example exited with status $status"; return 1; }
  cmp -s "$work/$name.out" "$work/lines.out" && cmp -s "$work/$name.err" "$work/lines.err" && return 0
  fail "the $name example's output differs from the program's:"
  diff "$work/lines.out" "$work/$name.out"
  diff "$work/lines.err" "$work/$name.err"
  return 1
}

# check_examples PREFIX [SYSROOT]: the three examples, built against the
# library files under PREFIX only, print what the program prints. With
# SYSROOT the files under PREFIX name themselves as under /usr (an unpacked
# package), and pkg-config is told where they really are.
check_examples() {
  local prefix=$1 sysroot=${2:-} ok=0 pc flags libdir
  pc=$(find "$prefix" -name zorvex.pc)
  [ -f "$pc" ] || { fail "no zorvex.pc under $prefix"; return 1; }
  libdir=$(dirname "$(dirname "$pc")")
  flags=$(PKG_CONFIG_LIBDIR=$(dirname "$pc") PKG_CONFIG_PATH= PKG_CONFIG_SYSROOT_DIR=$sysroot \
    pkg-config --cflags --libs zorvex) || { fail "pkg-config does not know zorvex"; return 1; }
  rm -rf "$work/examples" && mkdir "$work/examples"
  # shellcheck disable=SC2086 # the flags are words
  if cc -std=c99 -Wall -Wextra -Werror -pedantic -o "$work/examples/c" "$here/../examples/c/lines.c" \
      $flags >"$work/examples/c.log" 2>&1; then
    same_as_program c env LD_LIBRARY_PATH="$libdir" "$work/examples/c" || ok=1
  else
    cat "$work/examples/c.log"
    fail "the C example does not build with pkg-config's flags ($flags)"
    ok=1
  fi
  if cmake -S "$here/../examples/cpp" -B "$work/examples/cpp" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >"$work/examples/cpp.log" 2>&1 &&
      cmake --build "$work/examples/cpp" >>"$work/examples/cpp.log" 2>&1; then
    same_as_program cpp env LD_LIBRARY_PATH="$libdir" "$work/examples/cpp/lines" || ok=1
  else
    cat "$work/examples/cpp.log"
    fail "the C++ example does not build with find_package(zorvex)"
    ok=1
  fi
  same_as_program python env LD_LIBRARY_PATH="$libdir" python3 "$here/../examples/python/lines.py" ||
    ok=1
  # The C example once more, with the static archive and the libraries
  # that zorvex.pc names for it.
  # shellcheck disable=SC2046 # the flags are words
  if cc -std=c99 -o "$work/examples/c-static" "$here/../examples/c/lines.c" \
      $(PKG_CONFIG_LIBDIR=$(dirname "$pc") PKG_CONFIG_PATH= PKG_CONFIG_SYSROOT_DIR=$sysroot \
        pkg-config --cflags zorvex) "$libdir/libzorvex.a" \
      $(PKG_CONFIG_LIBDIR=$(dirname "$pc") pkg-config --libs-only-l --static zorvex | sed 's/-lzorvex//') \
      >"$work/examples/c-static.log" 2>&1; then
    same_as_program c-static "$work/examples/c-static" || ok=1
  else
    cat "$work/examples/c-static.log"
    fail "the C example does not link with the static archive"
    ok=1
  fi
  return $ok
}

# check_library LIBDIR: the shared library's SONAME is libzorvex.so.0, it
# defines no symbol but those of the C API, and its packaged symbols file
# lists exactly those; the program does not load it.
check_library() {
  local libdir=$1 ok=0 library soname
  library=$(find "$libdir" -name 'libzorvex.so.0.*' -type f)
  [ -f "$library" ] || { fail "no libzorvex.so.0.* in $libdir"; return 1; }
  soname=$(objdump -p "$library" | awk '$1 == "SONAME" {print $2}')
  [ "$soname" = libzorvex.so.0 ] || { fail "the library's SONAME is '$soname'"; ok=1; }
  objdump -T "$library" | grep '^[0-9a-f]\{8\}' | grep -v '\*UND\*' | awk '{print $NF}' >"$work/exports"
  grep -q '^zorvex_evaluate$' "$work/exports" || { fail "the library does not export the API"; ok=1; }
  if grep -v '^zorvex_' "$work/exports" | grep -q .; then
    fail "the library exports more than the API: $(grep -v '^zorvex_' "$work/exports" | head -5)"
    ok=1
  fi
  # The static archive too: nothing but the API is global in it.
  nm -g --defined-only "$libdir/libzorvex.a" | awk 'NF == 3 && $2 != "u" {print $3}' >"$work/archived"
  if grep -v '^zorvex_' "$work/archived" | grep -q . || ! grep -q '^zorvex_evaluate$' "$work/archived"; then
    fail "the static archive defines more than the API: $(grep -v '^zorvex_' "$work/archived" | head -5)"
    ok=1
  fi
  if objdump -p "$build/zorvex" | grep -q 'NEEDED.*libzorvex'; then
    fail "the program loads the shared library"
    ok=1
  fi
  # dpkg-gensymbols fails (-c4) when the file and the library differ.
  mkdir -p "$work/symbols/debian" && : >"$work/symbols/debian/control"
  if ! (cd "$work/symbols" && dpkg-gensymbols -plibzorvex0 -v0 -e"$library" \
      -I"$build/packaging/libzorvex0/symbols" -O/dev/null -c4) >"$work/symbols.log" 2>&1; then
    cat "$work/symbols.log"
    fail "the symbols file does not list what the library exports"
    ok=1
  fi
  return $ok
}

# check_lintian DEB: lintian, where installed, reports no tag about the
# package: no error, warning or note.
check_lintian() {
  command -v lintian >/dev/null 2>&1 || { echo "package_test: lintian not installed, not run"; return 0; }
  lintian --display-info "$1" >"$work/lintian" 2>/dev/null
  if grep -q '^[EWI]: ' "$work/lintian"; then
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
  local ok=0 file
  check_tree "$work/prefix" || ok=1
  for file in include/zorvex.h "lib/*/libzorvex.so" "lib/*/libzorvex.so.0" "lib/*/libzorvex.a" \
      "lib/*/pkgconfig/zorvex.pc" "lib/*/cmake/zorvex/zorvex-config.cmake" \
      "lib/*/cmake/zorvex/zorvex-config-version.cmake"; do
    # shellcheck disable=SC2086 # the pattern is meant to expand
    [ -e "$(echo $work/prefix/$file)" ] || { fail "no file $work/prefix/$file"; ok=1; }
  done
  check_library "$(dirname "$(find "$work/prefix" -name libzorvex.so.0)")" || ok=1
  check_examples "$work/prefix" || ok=1
  return $ok
}

# check_package DEB SECTION DEPENDS FILES: the package's fields, with
# DEPENDS a pattern its Depends field must match, and its contents: the
# files (not directories) whose paths match the pattern FILES, all owned by
# root; lintian finds nothing in it.
check_package() {
  local deb=$1 section=$2 depends=$3 files=$4 ok=0 field name
  name=$(dpkg-deb --field "$deb" Package)
  dpkg-deb --field "$deb" >"$work/fields"
  for field in "Architecture: $(dpkg --print-architecture)" "Section: $section" \
      "Version: $(dpkg-deb --field "$deb" Version)" "Source: zorvex"; do
    grep -qx "$field" "$work/fields" || { fail "$name lacks the field \"$field\""; ok=1; }
  done
  grep -q '^Version: [0-9]' "$work/fields" || { fail "$name has no version"; ok=1; }
  grep -q '^Maintainer: .' "$work/fields" || { fail "$name has no maintainer"; ok=1; }
  grep -q '^Description: .' "$work/fields" || { fail "$name has no description"; ok=1; }
  grep -Eq "^Depends: $depends" "$work/fields" ||
    { fail "$name: $(grep '^Depends' "$work/fields") does not match '$depends'"; ok=1; }
  dpkg-deb --contents "$deb" >"$work/contents"
  if awk '$1 !~ /^d/ {print $6}' "$work/contents" | grep -Evx "$files" | grep -q .; then
    fail "$name holds unexpected files:"
    cat "$work/contents"
    ok=1
  fi
  if awk '{print $2}' "$work/contents" | grep -vqx root/root; then
    fail "$name holds files not owned by root"
    ok=1
  fi
  check_lintian "$deb" || ok=1
  return $ok
}

debian_package() {
  if ! (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    fail "cpack -G DEB failed"
    return 1
  fi
  local arch version ok=0 deb
  arch=$(dpkg --print-architecture)
  version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
  local debs=("$work"/deb/*.deb) wanted=(zorvex libzorvex0 libzorvex-dev)
  for deb in "${wanted[@]}"; do
    [ -f "$work/deb/${deb}_${version}_$arch.deb" ] || { fail "cpack made no $deb package: ${debs[*]}"; return 1; }
  done
  [ "${#debs[@]}" -eq 3 ] || { fail "cpack made more than three packages: ${debs[*]}"; ok=1; }
  local lib=./usr/lib/[^/]+ doc=./usr/share/doc
  # The program: no library of its own to depend on, as it holds the engine.
  check_package "$work/deb/zorvex_${version}_$arch.deb" math 'libc6[^,]*$' \
    "./usr/bin/zorvex|./usr/$page|./usr/$completion|./usr/$zsh_completion|./usr/$fish_completion|./usr/${documents[0]}|./usr/${documents[1]}|./usr/share/lintian/overrides/zorvex" ||
    ok=1
  # libedit, whether linked or loaded when a terminal asks for an editor,
  # must be named among the program's relations.
  if grep -qa 'libedit\.so' "$build/zorvex"; then
    dpkg-deb --field "$work/deb/zorvex_${version}_$arch.deb" Depends Recommends | grep -q libedit2 ||
      { fail "the program uses libedit but the package names no libedit2"; ok=1; }
  fi
  check_package "$work/deb/libzorvex0_${version}_$arch.deb" libs '.*libc6.*libstdc\+\+6' \
    "$lib/libzorvex\.so\.0|$lib/libzorvex\.so\.${version//./\\.}(\.0)?|$doc/libzorvex0/(copyright|changelog\.gz)" ||
    ok=1
  # The shared library's control files: the symbols and shlibs files, and
  # the trigger that runs ldconfig instead of maintainer scripts.
  dpkg-deb --control "$work/deb/libzorvex0_${version}_$arch.deb" "$work/control"
  [ "$(cat "$work/control/triggers")" = "activate-noawait ldconfig" ] || { fail "libzorvex0 has no ldconfig trigger"; ok=1; }
  grep -qx "libzorvex 0 libzorvex0 (>= $version)" "$work/control/shlibs" || { fail "libzorvex0's shlibs file is wrong"; ok=1; }
  [ -f "$work/control/symbols" ] || { fail "libzorvex0 has no symbols file"; ok=1; }
  check_package "$work/deb/libzorvex-dev_${version}_$arch.deb" libdevel "libzorvex0 \(= ${version//./\\.}\)$" \
    "./usr/include/zorvex\.h|$lib/libzorvex\.(so|a)|$lib/pkgconfig/zorvex\.pc|$lib/cmake/zorvex/zorvex-(config|config-version|targets|targets-[a-z]+)\.cmake|$doc/libzorvex-dev/(copyright|changelog\.gz)" ||
    ok=1

  for deb in "${debs[@]}"; do
    dpkg -x "$deb" "$work/root" || { fail "dpkg -x $deb failed"; return 1; }
  done
  check_tree "$work/root/usr" || ok=1
  check_examples "$work/root/usr" "$work/root" || ok=1
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

# readme_example: the README's section "Embedding Zorvex" shows the C
# example as examples/c holds it, in under 20 lines.
readme_example() {
  local c=$here/../examples/c/lines.c
  awk '/^## Embedding Zorvex/ {on = 1} on && /^```c$/ {copy = 1; next} copy && /^```$/ {exit} copy' \
    "$here/../README.md" | cmp -s - "$c" || { fail "the README's C example is not $c"; return 1; }
  [ "$(wc -l <"$c")" -lt 20 ] || { fail "$c has 20 lines or more"; return 1; }
}

for check in install_prefix debian_package install_script readme_example; do
  if "$check"; then
    passes=$((passes + 1))
  else
    echo "package_test: $check failed"
    failures=$((failures + 1))
  fi
done
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
