#!/usr/bin/env bash
# Builds the Debian package of a build tree with CPack, unpacks it into a
# scratch root and runs the installed program on the sample disks.
# Usage: deb_package_test.sh BUILD-DIR SAMPLE-DIR. Exit 77 means skipped.
set -euo pipefail
build=$1
samples=$2

for tool in cpack dpkg-deb; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (tools/install-deps installs it)"
    exit 77
  fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack -G DEB"; }
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}

[ -f "$deb.sha256" ] || fail "no checksum file beside the package"
[ "$(cut -d' ' -f1 "$deb.sha256")" = "$(sha256sum "$deb" | cut -d' ' -f1)" ] || fail "checksum does not match"
[ "$(dpkg-deb -f "$deb" Package)" = disklens ] || fail "package name"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no description"
depends=$(dpkg-deb -f "$deb" Depends)
has_depend() { [[ ", $depends" == *", $1 "* || ", $depends," == *", $1,"* ]]; }
has_depend libc6 || fail "Depends lacks libc6: '$depends' (dpkg-shlibdeps comes with dpkg-dev)"

dpkg -x "$deb" "$scratch/root"
# The C++ and GCC run-times are dependencies when the program loads them
# (a release build links them in).
needed=$(LC_ALL=C readelf -d "$scratch/root/usr/bin/disklens" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
for pair in libstdc++.so.6:libstdc++6 libgcc_s.so.1:libgcc-s1; do
  if grep -qxF "${pair%%:*}" <<<"$needed"; then
    has_depend "${pair#*:}" || fail "Depends lacks ${pair#*:}: '$depends'"
  elif has_depend "${pair#*:}"; then
    fail "Depends names ${pair#*:}, which the program does not load: '$depends'"
  fi
done
# The container libraries are loaded by soname when a container is met, so
# the program does not name them as NEEDED: the package declares them, and
# each one the program loads is found on this system.
containers=no
if grep -q '^DISKLENS_IMAGE_FORMATS:BOOL=ON' "$build/CMakeCache.txt"; then
  containers=yes
  for pair in libvhdi.so.1:libvhdi1 libvmdk.so.1:libvmdk1 libqcow.so.1:libqcow1 libewf.so.2:libewf2 libsmraw.so.1:libsmraw1 libbfio.so.1:libbfio1; do
    ! grep -qxF "${pair%%:*}" <<<"$needed" || fail "the program links ${pair%%:*} at start-up: $needed"
    has_depend "${pair#*:}" || fail "Depends lacks ${pair#*:}: '$depends'"
    grep -qaF "${pair%%:*}" "$scratch/root/usr/bin/disklens" || fail "the program does not name ${pair%%:*}"
    dpkg -s "${pair#*:}" >/dev/null 2>&1 || fail "the declared dependency ${pair#*:} is not installed here"
  done
fi

# The program, its compressed manual page, the copyright and the changelog.
contents=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort)
expected=$'./usr/bin/disklens\n./usr/share/bash-completion/completions/disklens\n./usr/share/disklens/disklens.schema.json\n./usr/share/doc/disklens/changelog.gz\n./usr/share/doc/disklens/copyright\n./usr/share/man/man1/disklens.1.gz'
[ "$contents" = "$expected" ] || fail "package files: $contents"

# Debian's own checker: no error and no warning (info notes may stay).
# tools/test sets DISKLENS_REQUIRE_LINTIAN=1: there a missing lintian fails.
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
    { cat "$scratch/lintian.log"; fail "lintian reports errors or warnings"; }
elif [ "${DISKLENS_REQUIRE_LINTIAN:-0}" = 1 ]; then
  fail "lintian is not installed (tools/install-deps installs it)"
else
  echo "NOTE: lintian is not installed; the package is not checked by it"
fi
head -1 "$scratch/root/usr/share/doc/disklens/copyright" |
  grep -qF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright is not in the machine-readable format"
zcat "$scratch/root/usr/share/doc/disklens/changelog.gz" | head -1 |
  grep -qF "disklens ($(dpkg-deb -f "$deb" Version))" || fail "changelog does not start with the package's version"

# The schema shipped is the one of the sources, and the program's document is valid against it.
cmp -s "$scratch/root/usr/share/disklens/disklens.schema.json" "$(dirname "$0")/../../docs/disklens.schema.json" ||
  fail "the packaged schema is not docs/disklens.schema.json"
if python3 -c 'import jsonschema' 2>/dev/null; then
  DISKLENS_DISKS="$samples/disk0.img:$samples/disk1.img" "$scratch/root/usr/bin/disklens" --json </dev/null |
    python3 -c 'import json, sys, jsonschema
schema = json.load(open(sys.argv[1]))
jsonschema.Draft202012Validator(schema).validate(json.load(sys.stdin))' \
      "$scratch/root/usr/share/disklens/disklens.schema.json" || fail "the document is not valid against the packaged schema"
fi

# The installed completion file, sourced in bash as bash-completion does: --js completes to --json.
completion=$scratch/root/usr/share/bash-completion/completions/disklens
completed=$(bash --norc --noprofile -c 'source "$1"
  COMP_WORDS=(disklens --js); COMP_CWORD=1
  "$(complete -p disklens | sed -n "s/^complete -F \([^ ]*\) disklens$/\1/p")"
  printf "%s\n" "${COMPREPLY[@]}"' _ "$completion") || fail "sourcing the completion file"
[ "$completed" = --json ] || fail "the installed completion gives '$completed' for --js, not --json"
bash "$(dirname "$0")/completion_test.sh" "$completion" >"$scratch/completion.log" ||
  { cat "$scratch/completion.log"; fail "the installed completion file"; }

# The disks named as operands give the report of DISKLENS_DISKS, byte for byte
# but for the run date.
"$scratch/root/usr/bin/disklens" "$samples/disk0.img" "$samples/disk1.img" </dev/null |
  sed 's/^Run date: .*//' >"$scratch/operands.txt" || fail "installed disklens with operands"
DISKLENS_DISKS="$samples/disk0.img:$samples/disk1.img" "$scratch/root/usr/bin/disklens" </dev/null |
  sed 's/^Run date: .*//' >"$scratch/listed.txt"
cmp -s "$scratch/operands.txt" "$scratch/listed.txt" || fail "operands and DISKLENS_DISKS give different reports"

set +e
DISKLENS_DISKS="$samples/disk0.img:$samples/disk1.img" "$scratch/root/usr/bin/disklens" \
  </dev/null >"$scratch/report.txt" 2>"$scratch/err.txt"
status=$?
set -e
[ $status -eq 0 ] || fail "installed disklens exited with $status"
[ ! -s "$scratch/err.txt" ] || fail "installed disklens wrote to standard error: $(cat "$scratch/err.txt")"
for header in "MBR Partition Information (HD0" "EMBR Found (HD0)" "MBR Partition Information (HD1" \
              "GPT Found (HD1)" "BOOT SECTOR INFORMATION"; do
  grep -qF "$header" "$scratch/report.txt" || fail "report lacks '$header'"
done
[ "$(grep -cF "BOOT SECTOR INFORMATION" "$scratch/report.txt")" -eq 2 ] ||
  fail "BOOT SECTOR INFORMATION not once for each disk"
# The installed program loads a container's library when it meets one: the
# sample disk read through qcow2 gives the raw disk's report.
if [ "$containers" = yes ] && command -v qemu-img >/dev/null; then
  qemu-img convert -f raw -O qcow2 "$samples/disk1.img" "$scratch/disk1.qcow2"
  DISKLENS_DISKS="$samples/disk1.img" "$scratch/root/usr/bin/disklens" </dev/null |
    sed '/^Run date:/d' >"$scratch/raw.txt"
  DISKLENS_DISKS="$scratch/disk1.qcow2" "$scratch/root/usr/bin/disklens" </dev/null 2>"$scratch/err.txt" |
    sed '/^Run date:/d' >"$scratch/qcow.txt"
  cmp -s "$scratch/raw.txt" "$scratch/qcow.txt" || fail "the qcow2 of a sample disk does not report as the raw disk"
  [ ! -s "$scratch/err.txt" ] || fail "the qcow2 run wrote to standard error: $(cat "$scratch/err.txt")"
fi
echo "PASS: $(basename "$deb") installs, depends on: $depends"
