#!/usr/bin/env bash
# The bash completion file, sourced in bash and asked as bash asks it when Tab
# is pressed: options, /all and files, and after "--" files only.
# Usage: completion_test.sh COMPLETION-FILE. Exit 77 means skipped.
set -euo pipefail
file=$1
[ -f "$file" ] || { echo "FAIL: no completion file $file"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
: >"$scratch/disk.img"
: >"$scratch/disk two.img"
: >"$scratch/--json-copy.img"
mkdir "$scratch/images"

# complete WORDS...: the replies for the last word, one a line, sorted.
complete_words() {
  (cd "$scratch" && bash --norc --noprofile -c '
    source "$1"; shift
    [ "$(complete -p disklens)" = "complete -F _disklens_module disklens" ] || exit 3
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    _disklens_module
    printf "%s\n" "${COMPREPLY[@]}"' _ "$file" "$@") | sed '/^$/d' | LC_ALL=C sort
}

failed=0
expect() {  # EXPECTED WORDS...
  local expected=$1 got
  shift
  got=$(complete_words "$@")
  if [ "$got" != "$expected" ]; then
    echo "FAIL: '$*' completes to '$got', not '$expected'"
    failed=1
  fi
}

expect "--json" disklens --js
expect $'--verbose\n--version' disklens --ver
expect "--json" disklens /all --js
expect "--check" disklens --json --c
expect "--check" disklens disk.img --ch
expect $'disk two.img\ndisk.img' disklens --json dis
expect "images" disklens im
expect "/all" disklens /al
# After "--" a word that looks like an option is a file.
expect "--json-copy.img" disklens -- --js
# After --help or --version nothing is run: nothing to complete.
expect "" disklens --help ""
exit $failed
