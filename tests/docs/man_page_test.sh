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
               "BOOT SECTOR INFORMATION" "CHECKS section" OPTIONS OPERANDS "EXIT STATUS" DIAGNOSTICS ENVIRONMENT NOTES EXAMPLES; do
  grep -qE "^ *$heading\$" <<<"$text" || fail "no heading '$heading'"
done
flat=$(tr -s ' \n' ' ' <<<"$text")
for word in /all DISKLENS_DISKS @4096 "disk group" administrator "never writes" \
            --help --version --verbose --check ./name@513@512 "sgdisk -e" schema_version \
            findings gpt_backup "no problems found" "CHECKS (HDn)"; do
  grep -qF -- "$word" <<<"$flat" || fail "nothing on '$word'"
done

# Every message the program prints on standard error, as it prints it.
for message in "disklens: write error: reason" "disklens: HDn: entry: reason" \
               "No such file or directory" "Permission denied" "not a disk image or block device" \
               'unknown sector size "@513" (use @512, @1024, @2048 or @4096)' \
               'disklens: ignoring argument "arg" (see --help)' \
               'disks could not be opened (Permission denied): run as root or as a member of group "disk"' \
               "disklens: no disk could be opened: run from an administrator's command prompt" \
               "disklens: HD0 = /dev/sda (512-byte sectors, 1000204886016 bytes)" \
               "disklens: HDn: entry: no file name" \
               "disks could not be opened (Permission denied), since" \
               "disks left out past HD31, the last disk number: name them as operands or in DISKLENS_DISKS, 32 at a time" \
               "disklens: left out: name" \
               "disklens: /all not applied: it must be the only argument besides the options and the disks" \
               "disklens: DISKLENS_DISKS not read: the disks named on the command line are reported"; do
  grep -qF -- "$message" <<<"$flat" || fail "no message '$message'"
done
# The exit status of a failed write.
grep -qE 'EXIT STATUS.* 1 .*write of the report failed' <<<"$flat" || fail "no exit status for write errors"
grep -qE 'EXIT STATUS.* 1 A disk named as an operand did not open' <<<"$flat" || fail "no exit status for operands"
# The exit status of --check, and 1 winning over it.
grep -qE 'EXIT STATUS.* 2 With --check, .* worst finding .* is a warning' <<<"$flat" || fail "no exit status 2"
grep -qE 'EXIT STATUS.* 3 With --check, .* finding is an error' <<<"$flat" || fail "no exit status 3"
grep -qF 'status 1 wins over 2 and 3' <<<"$flat" || fail "no word on status 1 beside 2 and 3"

# Every id of --check with its severity: the ids are what scripts rely on.
for pair in mbr.signature:error mbr.boot-flag:warning mbr.active:warning mbr.past-end:error \
            mbr.overlap:error mbr.extended-count:warning mbr.chs:note ebr.signature:error \
            ebr.loop:error ebr.outside:error ebr.entries:warning ebr.unreadable:error ebr.cap:note \
            pmbr.count:warning pmbr.start:warning pmbr.size:warning hybrid.mismatch:warning \
            gpt.primary:error gpt.backup:error gpt.differ:error gpt.backup-not-at-end:warning \
            gpt.truncated:error gpt.entry-size:warning gpt.range:error gpt.overlap:error \
            gpt.sector-size:warning align.physical:warning align.mib:note fs.size:error \
            fs.hidden-sectors:warning fs.type:warning fat.bpb:error fat32.backup:warning \
            fat32.fsinfo:warning fat.dirty:note ntfs.backup:error fs.kind:note \
            exfat.checksum:error exfat.backup:warning exfat.offset:warning; do
  grep -qF -- " ${pair%%:*} (${pair#*:}" <<<"$flat" || fail "no id '${pair%%:*}' (${pair#*:})"
done
# And every id the checks' sources name, so that a new one can't go unlisted.
src=$(dirname "$page")/../src/check
if [ -d "$src" ]; then
  for id in $(grep -ohE '"(mbr|ebr|pmbr|hybrid|gpt|align|fs|fat|fat32|ntfs|exfat)\.[a-z0-9-]+"' \
                "$src"/*.cpp "$src"/*.h | tr -d '"' | sort -u); do
    grep -qF -- " $id (" <<<"$flat" || fail "the checks name '$id', the page does not"
  done
fi

# The operand form comes first in the synopsis.
grep -A1 -E '^SYNOPSIS' <<<"$text" | grep -qE 'disklens .*disk\.\.\.' || fail "the synopsis does not start with the operands"

if command -v man >/dev/null; then
  rendered=$(MANWIDTH=80 MANPAGER=cat PAGER=cat man -l "$page" 2>&1) || fail "man -l: $rendered"
  grep -q "disklens - report how a PC's disks are partitioned" <<<"$rendered" || fail "man -l output"
fi
echo PASS
