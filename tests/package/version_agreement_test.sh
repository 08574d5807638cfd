#!/usr/bin/env bash
# Every place that shows the version shows the one of project(VERSION): the
# banner and --version, the manual page (source and installed), the Debian
# package and its changelog, the top of CHANGELOG.md; given a Windows program,
# also its --version under Wine and its version resource (read back from the
# .exe by windres), whose copyright is the banner's.
# Usage: version_agreement_test.sh VERSION SOURCE-DIR LINUX-BUILD-DIR SAMPLE-DIR
#                                  [WINDOWS-EXE WINDRES WINE-PREFIX]
# Exit 77 means skipped.
set -euo pipefail
version=$1
src=$2
build=$3
samples=$4
exe=${5:-}
fail() { echo "FAIL: $*"; exit 1; }

if [ ! -x "$build/disklens" ]; then
  echo "SKIP: no Linux program in $build: build the release preset first (tools/test does)"
  exit 77
fi
banner=$(DISKLENS_DISKS="$samples/disk0.img" "$build/disklens" </dev/null 2>/dev/null | sed -n '2,3p' || true)
[ "$(head -1 <<<"$banner")" = "DISKLENS $version" ] || fail "banner '$banner'"
[ "$("$build/disklens" --version </dev/null)" = "disklens $version" ] || fail "--version"
grep -qF "\"DISKLENS $version\"" <(grep '^\.TH ' "$src/docs/disklens.1") || fail "docs/disklens.1 .TH line"
grep -qF "\"DISKLENS $version\"" <(zcat "$build/package-files/disklens.1.gz" | grep '^\.TH ') ||
  fail "installed manual page .TH line"
zcat "$build/package-files/changelog.gz" | head -1 | grep -qF "disklens ($version)" || fail "Debian changelog"
[ "$(grep -m1 '^## ' "$src/CHANGELOG.md")" = "## $version" ] || fail "CHANGELOG.md top entry"
grep -qxF "set(CPACK_PACKAGE_VERSION \"$version\")" "$build/CPackConfig.cmake" || fail "package version"

if [ -n "$exe" ]; then
  windres=$6
  prefix=$7
  shown=$(DISKLENS_DISKS= "$src/tools/wine-run" --prefix "$prefix" "$exe" --version </dev/null | tr -d '\r')
  [ "$shown" = "disklens $version" ] || fail "disklens.exe --version: '$shown'"

  # The resource as windres decompiles it from the linked program.
  rc=$("$windres" -i "$exe" -O rc) || fail "windres cannot read the resources of $exe"
  IFS=. read -ra parts <<<"$version"
  while [ ${#parts[@]} -lt 4 ]; do parts+=(0); done
  quad=$(IFS=,; echo "${parts[*]}")
  for field in FILEVERSION PRODUCTVERSION; do
    grep -qxE "[[:space:]]*$field[[:space:]]+${quad//,/,[[:space:]]*}[[:space:]]*" <<<"$rc" ||
      fail "resource $field is not $quad: $(grep "$field" <<<"$rc")"
  done
  value() { sed -n "s/^[[:space:]]*VALUE \"$1\", \"\\(.*\\)\"[[:space:]]*\$/\\1/p" <<<"$rc"; }
  for key in FileVersion ProductVersion; do
    [ "$(value "$key")" = "$version" ] || fail "resource $key '$(value "$key")'"
  done
  [ -n "$(value FileDescription)" ] || fail "resource has no FileDescription"
  copyright=$(value LegalCopyright)
  [ -n "$copyright" ] && [[ "$(sed -n 2p <<<"$banner")" == "$copyright."* ]] ||
    fail "resource copyright '$copyright' is not the banner's '$(sed -n 2p <<<"$banner")'"
fi
echo "PASS: version $version everywhere"
