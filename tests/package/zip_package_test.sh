#!/usr/bin/env bash
# Builds the release zip of the Windows build with CPack, checks its name,
# checksum and contents, unpacks it and runs the disklens.exe inside under
# Wine on the sample disks: its report must be the Linux program's, line for
# line (the CR LF line ends aside, the run date masked).
# Usage: zip_package_test.sh VERSION SOURCE-DIR WINDOWS-BUILD-DIR LINUX-BUILD-DIR WINE-PREFIX
# Exit 77 means skipped.
set -euo pipefail
version=$1
src=$2
build=$3
linux_build=$4
prefix=$5
wine_run=$src/tools/wine-run
samples=$linux_build/sample

for tool in cpack unzip; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (tools/install-deps installs it)"
    exit 77
  fi
done
if [ ! -x "$linux_build/disklens" ] || [ ! -f "$samples/disk1.img" ]; then
  echo "SKIP: no Linux program and sample disks in $linux_build: build the release preset first (tools/test does)"
  exit 77
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack -G ZIP"; }
name=disklens-$version-win64.zip
zip=$scratch/out/$name
packages=$(cd "$scratch/out" && ls -- *.zip)
[ "$packages" = "$name" ] || fail "expected $name alone, found: $packages"

[ -f "$zip.sha256" ] || fail "no checksum file beside the zip"
(cd "$scratch/out" && sha256sum --check --status "$name.sha256") || fail "checksum does not match: $(cat "$zip.sha256")"

# The program and the three texts, at the zip's root.
contents=$(unzip -Z1 "$zip" | LC_ALL=C sort)
[ "$contents" = $'CHANGELOG.md\nLICENSE\nREADME.md\ndisklens.exe' ] || fail "zip contents: $contents"
unzip -q "$zip" -d "$scratch/unpacked"
for text in CHANGELOG.md LICENSE README.md; do
  cmp -s "$src/$text" "$scratch/unpacked/$text" || fail "$text in the zip is not the one of the sources"
done
exe=$scratch/unpacked/disklens.exe
shown=$(DISKLENS_DISKS= "$wine_run" --prefix "$prefix" "$exe" --version </dev/null | tr -d '\r')
[ "$shown" = "disklens $version" ] || fail "the zip's disklens.exe --version: '$shown'"

winpath() { printf 'Z:%s' "${1//\//\\}"; }
disk0=$(cd "$samples" && pwd)/disk0.img
disk1=$(cd "$samples" && pwd)/disk1.img
mask() { sed -e 's/\r$//' -e 's|^Run date: .*|Run date: <masked>|'; }

for args in "" /all; do
  label=${args:-report}
  label=${label#/}
  DISKLENS_DISKS="$disk0:$disk1" "$linux_build/disklens" $args </dev/null >"$scratch/$label.linux.txt"
  set +e
  DISKLENS_DISKS="$(winpath "$disk0");$(winpath "$disk1")" "$wine_run" --prefix "$prefix" "$exe" $args \
    </dev/null >"$scratch/$label.windows.txt" 2>"$scratch/$label.err.txt"
  status=$?
  set -e
  [ $status -eq 0 ] || fail "disklens.exe $args exited with $status: $(cat "$scratch/$label.err.txt")"
  [ ! -s "$scratch/$label.err.txt" ] || fail "disklens.exe $args wrote to standard error: $(cat "$scratch/$label.err.txt")"
  diff -u <(mask <"$scratch/$label.linux.txt") <(mask <"$scratch/$label.windows.txt") ||
    fail "the zip's disklens.exe $args reports otherwise than the Linux program (Linux -, Windows +)"
  grep -qF "BOOT SECTOR INFORMATION" "$scratch/$label.linux.txt" || fail "the $label report is missing its sections"
done
echo "PASS: $name holds $(tr '\n' ' ' <<<"$contents"); its disklens.exe reports as on Linux"
