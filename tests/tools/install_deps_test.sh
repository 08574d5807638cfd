#!/usr/bin/env bash
# tools/install-deps on a machine whose dpkg, id and apt-get are stubs: the
# build-only mode asks for the build packages and for nothing the tests need.
# Usage: install_deps_test.sh SOURCE-DIR
set -euo pipefail
src=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# dpkg -s PACKAGE succeeds for the packages listed in $scratch/installed;
# id -u prints $STUB_UID; apt-get writes its arguments to $scratch/apt.log.
mkdir "$scratch/bin"
cat >"$scratch/bin/dpkg" <<STUB
#!/usr/bin/env bash
[ "\$1" = -s ] && grep -qxF -- "\$2" "$scratch/installed"
STUB
cat >"$scratch/bin/id" <<'STUB'
#!/usr/bin/env bash
[ "$1" = -u ] && echo "$STUB_UID"
STUB
cat >"$scratch/bin/apt-get" <<STUB
#!/usr/bin/env bash
echo "\$*" >>"$scratch/apt.log"
STUB
chmod +x "$scratch/bin/"*
build="cmake ninja-build g++ pkg-config nlohmann-json3-dev libvhdi-dev libvmdk-dev libqcow-dev libewf-dev libsmraw-dev libbfio-dev libseccomp-dev"

# Runs tools/install-deps ARGS... as user STUB_UID; sets rc, out and err.
run() {
  local uid=$1
  shift
  rm -f "$scratch/apt.log"
  rc=0
  STUB_UID=$uid PATH="$scratch/bin:$PATH" "$src/tools/install-deps" "$@" \
    >"$scratch/out" 2>"$scratch/err" || rc=$?
  out=$(cat "$scratch/out")
  err=$(cat "$scratch/err")
}

# Nothing installed, a user who is not root: the build packages are named
# with the command that installs them, and nothing is installed.
: >"$scratch/installed"
run 1000 --build
[ "$rc" -ne 0 ] || fail "exit 0 with build packages missing"
grep -qxF "install-deps: missing packages: $build" <<<"$err" || fail "missing packages named as: $err"
grep -qxF "  sudo apt-get install $build" <<<"$err" || fail "no way to install them: $err"
for p in libgtest-dev wine64 g++-mingw-w64-x86-64-posix clang-14 gdisk groff-base qemu-utils ewf-tools; do
  grep -qF -- "$p" <<<"$err" && fail "--build asks for the test package $p"
done
[ ! -e "$scratch/apt.log" ] || fail "apt-get ran for a user who is not root"
[ -z "$out" ] || fail "stdout: $out"

# The build packages there, the test packages not: --build is content and
# silent, the full mode names the test packages but not the build ones.
printf '%s\n' $build >"$scratch/installed"
run 1000 --build
[ "$rc" -eq 0 ] || fail "--build exit $rc with every build package installed: $err"
[ -z "$out$err" ] || fail "--build not quiet: $out$err"
run 1000
[ "$rc" -ne 0 ] || fail "full mode exit 0 with the test packages missing"
grep -qF "wine64" <<<"$err" && grep -qF "libgtest-dev" <<<"$err" || fail "full mode: $err"
grep -qE "missing packages:.* (cmake|ninja-build|g\+\+) " <<<"$err " && fail "full mode names installed build packages: $err"

# As root the missing build packages, and only they, go to apt-get.
: >"$scratch/installed"
run 0 --build
[ "$rc" -eq 0 ] || fail "as root, exit $rc: $err"
grep -qxF "install -y -qq --no-install-recommends $build" "$scratch/apt.log" ||
  fail "apt-get was given: $(cat "$scratch/apt.log" 2>/dev/null)"

run 1000 --tests
[ "$rc" -eq 2 ] || fail "an unknown argument gives exit $rc"
echo PASS
