#!/usr/bin/env bash
# The manual page renders without a groff warning and has every section.
# Usage: man_page_test.sh PAGE. Exit 77 means skipped.
set -euo pipefail
page=$1

if ! command -v groff >/dev/null; then
  echo "SKIP: groff is not installed (tools/install-deps installs it)"
  exit 77
fi
fail() { echo "FAIL: $*"; exit 1; }

warnings=$(groff -ww -man -Tutf8 "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "groff warnings: $warnings"

text=$(groff -man -Tutf8 -P-cbou "$page" 2>/dev/null)
for heading in NAME SYNOPSIS DESCRIPTION "MBR section" "EMBR section" "GPT section" \
               "BOOT SECTOR INFORMATION" OPTIONS "EXIT STATUS" ENVIRONMENT NOTES EXAMPLES; do
  grep -qE "^ *$heading\$" <<<"$text" || fail "no heading '$heading'"
done
for word in /all DISKLENS_DISKS @4096 "disk group" administrator "never writes"; do
  grep -qF -- "$word" <<<"$(tr -s ' \n' ' ' <<<"$text")" || fail "nothing on '$word'"
done

if command -v man >/dev/null; then
  rendered=$(MANWIDTH=80 MANPAGER=cat PAGER=cat man -l "$page" 2>&1) || fail "man -l: $rendered"
  grep -q "disklens - report how a PC's disks are partitioned" <<<"$rendered" || fail "man -l output"
fi
echo PASS
