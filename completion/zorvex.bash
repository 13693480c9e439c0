# Completion of zorvex's command line for bash: the options after a dash,
# nothing for the expression after -e, and file names everywhere else.

_zorvex() {
  local current=${COMP_WORDS[COMP_CWORD]}
  local previous=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  if [[ $previous == -e || $previous == --expression ]]; then
    return 0
  fi
  if [[ $current == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W '-e --expression -q --quiet -h --help -V --version' \
      -- "$current")
    return 0
  fi
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$current")
}
complete -F _zorvex zorvex
