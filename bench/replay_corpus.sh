#!/usr/bin/env bash
# Feeds every file of the given corpora to two builds of the program, as the
# dialogue and with -q, and reports any file whose standard output, standard
# error or exit status differs between them. Used to show that a speed-up
# changes no byte of output:
#
#   bench/replay_corpus.sh OLD_BINARY NEW_BINARY [DIR_OR_FILE ...]
#
# Without corpora it replays the fuzz seeds, the kept fuzz regressions and
# every transcript input. Exits 1 when a file differs.
set -uo pipefail
cd "$(dirname "$0")/.."

old=$1
new=$2
shift 2
[ $# -gt 0 ] || set -- fuzz/seeds fuzz/regressions tests/transcripts/*.in

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

files=0
differing=0
while IFS= read -r -d '' input; do
  files=$((files + 1))
  for mode in dialogue quiet; do
    flags=()
    [ "$mode" = quiet ] && flags=(-q)
    for side in old new; do
      binary=$old
      [ "$side" = new ] && binary=$new
      timeout 20 "$binary" "${flags[@]}" <"$input" >"$scratch/$side.out" 2>"$scratch/$side.err"
      echo $? >"$scratch/$side.code"
    done
    if ! cmp -s "$scratch/old.out" "$scratch/new.out" || ! cmp -s "$scratch/old.err" "$scratch/new.err" ||
      ! cmp -s "$scratch/old.code" "$scratch/new.code"; then
      echo "differs ($mode): $input"
      differing=$((differing + 1))
    fi
  done
done < <(find "$@" -type f -print0 2>/dev/null)

echo "$files inputs replayed as the dialogue and with -q: $differing differ"
[ "$files" -gt 0 ] && [ "$differing" -eq 0 ]
