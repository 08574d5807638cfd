#!/usr/bin/env bash
# tools/run on a machine with the build packages only (dpkg, id and cmake are
# stubs): it asks for nothing more, configures without the tests, is quiet
# while the build works and shows the build's own output when it fails.
# Usage: run_test.sh SOURCE-DIR
set -euo pipefail
src=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A tree of its own, so that the stub build writes nothing into the real one.
tree=$scratch/tree
mkdir -p "$tree/tools"
cp "$src/tools/run" "$src/tools/install-deps" "$tree/tools/"

mkdir "$scratch/bin"
cat >"$scratch/bin/dpkg" <<STUB
#!/usr/bin/env bash
[ "\$1" = -s ] && grep -qxF -- "\$2" "$scratch/installed"
STUB
cat >"$scratch/bin/id" <<'STUB'
#!/usr/bin/env bash
[ "$1" = -u ] && echo 1000
STUB
# cmake: logs its arguments; the build writes a program that shows how it was
# run, or fails as a compiler does, on stdout, when STUB_BUILD_FAILS is set.
cat >"$scratch/bin/cmake" <<STUB
#!/usr/bin/env bash
echo "\$*" >>"$scratch/cmake.log"
echo "-- cmake chatter"
if [ "\$1" = --build ]; then
  if [ -n "\${STUB_BUILD_FAILS:-}" ]; then
    echo "src/report/driver.cpp:12:3: error: 'Prin' was not declared in this scope"
    exit 1
  fi
  mkdir -p build/release/sample
  printf '#!/bin/sh\necho "report of \$DISKLENS_DISKS with \$*"\n' >build/release/disklens
  chmod +x build/release/disklens
fi
STUB
chmod +x "$scratch/bin/"*
printf '%s\n' cmake ninja-build g++ pkg-config nlohmann-json3-dev libvhdi-dev libvmdk-dev libqcow-dev \
  libewf-dev libsmraw-dev libbfio-dev libseccomp-dev >"$scratch/installed"

run() {  # ARGS... of tools/run; sets rc, out and err
  rm -f "$scratch/cmake.log"
  rc=0
  PATH="$scratch/bin:$PATH" "$tree/tools/run" "$@" >"$scratch/out" 2>"$scratch/err" || rc=$?
  out=$(cat "$scratch/out")
  err=$(cat "$scratch/err")
}

# No test package installed: the build and the report, nothing else said.
run /all
[ "$rc" -eq 0 ] || fail "exit $rc: $err"
[ "$out" = "report of build/release/sample/disk0.img:build/release/sample/disk1.img with /all" ] ||
  fail "stdout: $out"
[ -z "$err" ] || fail "stderr: $err"
grep -qx -- "--preset release -DDISKLENS_BUILD_TESTS=OFF" "$scratch/cmake.log" ||
  fail "configured as: $(cat "$scratch/cmake.log")"

# Tests asked for, or a tree configured with them, keep them.
DISKLENS_BUILD_TESTS=ON run
grep -qx -- "--preset release -DDISKLENS_BUILD_TESTS=ON" "$scratch/cmake.log" || fail "tests asked for"
echo 'DISKLENS_BUILD_TESTS:BOOL=ON' >"$tree/build/release/CMakeCache.txt"
run
grep -qx -- "--preset release -DDISKLENS_BUILD_TESTS=ON" "$scratch/cmake.log" || fail "tree with tests"
rm "$tree/build/release/CMakeCache.txt"

# A failing build: its own error on stderr, no report, a failure.
STUB_BUILD_FAILS=1 run
[ "$rc" -ne 0 ] || fail "exit 0 when the build failed"
grep -qF "error: 'Prin' was not declared in this scope" <<<"$err" || fail "build error not shown: $err"
grep -qF "report of" <<<"$out" && fail "the program ran after a failed build"

# A build package missing: named, and no build tried.
printf '%s\n' cmake g++ pkg-config nlohmann-json3-dev libvhdi-dev libvmdk-dev libqcow-dev libewf-dev \
  libsmraw-dev libbfio-dev libseccomp-dev >"$scratch/installed"
run
[ "$rc" -ne 0 ] || fail "exit 0 with ninja-build missing"
grep -qxF "install-deps: missing packages: ninja-build" <<<"$err" || fail "stderr: $err"
[ ! -e "$scratch/cmake.log" ] || fail "cmake ran with a build package missing"
echo PASS
