#!/usr/bin/env bash
# Every place that shows the version shows the one of project(VERSION): the
# banner, the manual page (source and installed), the Debian package and its
# changelog, and the top of CHANGELOG.md.
# Usage: version_agreement_test.sh VERSION SOURCE-DIR BUILD-DIR SAMPLE-DIR. Exit 77 means skipped.
set -euo pipefail
version=$1
src=$2
build=$3
samples=$4
fail() { echo "FAIL: $*"; exit 1; }

banner=$(DISKLENS_DISKS="$samples/disk0.img" "$build/disklens" </dev/null 2>/dev/null | grep -m1 '^DISKLENS ' || true)
[ "$banner" = "DISKLENS $version" ] || fail "banner '$banner'"
grep -qF "\"DISKLENS $version\"" <(grep '^\.TH ' "$src/docs/disklens.1") || fail "docs/disklens.1 .TH line"
grep -qF "\"DISKLENS $version\"" <(zcat "$build/package-files/disklens.1.gz" | grep '^\.TH ') ||
  fail "installed manual page .TH line"
zcat "$build/package-files/changelog.gz" | head -1 | grep -qF "disklens ($version)" || fail "Debian changelog"
[ "$(grep -m1 '^## ' "$src/CHANGELOG.md")" = "## $version" ] || fail "CHANGELOG.md top entry"
grep -qxF "set(CPACK_PACKAGE_VERSION \"$version\")" "$build/CPackConfig.cmake" || fail "package version"
echo "PASS: version $version everywhere"
