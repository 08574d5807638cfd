#!/usr/bin/env bash
# Runs the Windows program under Wine and the Linux program on the same disk
# images (DISKLENS_DISKS with Z:\ paths and ";" on Windows, with "/" paths and
# ":" on Linux) and fails unless both print the same report, line for line:
# the Windows console's CR LF line ends aside, the run date masked.
#   compare_reports.sh --linux PROGRAM --windows PROGRAM.exe --maker MAKER.exe
#                      --work DIR [--peer DIR] --wine-prefix DIR
# Exit code 77 (a skip) when there is no Linux program to compare with.
set -euo pipefail

peer=
while [ $# -gt 0 ]; do
  case $1 in
    --linux) linux=$2 ;;
    --windows) windows=$2 ;;
    --maker) maker=$2 ;;
    --work) work=$2 ;;
    --peer) peer=$2 ;;
    --wine-prefix) prefix=$2 ;;
    *) echo "compare_reports: unknown argument $1" >&2; exit 2 ;;
  esac
  shift 2
done
wine_run=$(cd "$(dirname "$0")/../.." && pwd)/tools/wine-run

if [ ! -x "$linux" ]; then
  echo "no Linux program at $linux: build the release preset first (tools/test does)"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work/images"
work=$(cd "$work" && pwd)

# Z: is the root of the Linux file system under Wine.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

"$wine_run" --prefix "$prefix" "$maker" "$(winpath "$work/images")"

# Disk N of both runs; an empty entry leaves a disk out, "@4096" gives the sector size.
# Behind the truncated disk: an EBR in the last sector, an MPT row whose End lies below its
# Start, one chain named by the MBR and 255 MPT entries, and two disks over 2 TiB (sparse).
disks=("$work/images/mbr-chain.img" "$work/images/embr.img" ""
       "$work/images/gpt.img" "$work/images/gpt-4k.img@4096" "$work/images/truncated.img"
       "$work/images/ebr-last.img" "$work/images/mpt-backwards.img" "$work/images/amplified.img"
       "$work/images/chain-2to32.img" "$work/images/gpt-2to32.img")
for image in mbrman/disk1.img mbrman/disk2.img gpt-rs/gpt-disk.img; do
  if [ -n "$peer" ] && [ -f "$peer/$image" ]; then
    disks+=("$(cd "$(dirname "$peer/$image")" && pwd)/$(basename "$image")")
  else
    echo "note: peer image $image left out (no $peer/$image)"
  fi
done
linux_list=$(IFS=:; echo "${disks[*]}")
windows_list=
for i in "${!disks[@]}"; do
  [ "$i" -eq 0 ] || windows_list+=";"
  [ -z "${disks[$i]}" ] || windows_list+=$(winpath "${disks[$i]}")
done

mask() { sed -e 's/\r$//' -e 's|^Run date: .*|Run date: <masked>|'; }

failed=0
compare() {  # NAME DISKLENS_DISKS(Linux) DISKLENS_DISKS(Windows) [ARGS...]
  local name=$1 linux_disks=$2 windows_disks=$3
  shift 3
  DISKLENS_DISKS=$linux_disks "$linux" "$@" >"$work/$name.linux.txt" </dev/null
  DISKLENS_DISKS=$windows_disks "$wine_run" --prefix "$prefix" "$windows" "$@" \
    >"$work/$name.windows.txt" </dev/null
  if ! grep -q $'\r$' "$work/$name.windows.txt"; then
    echo "$name: the Windows report has no CR LF line ends"
    failed=1
  fi
  if ! grep -Eq '^Run date: [0-9]{2}/[0-9]{2}/[0-9]{4} [0-9]{1,2}:[0-9]{2}'$'\r''?$' \
      "$work/$name.windows.txt"; then
    echo "$name: the Windows report has no run date"
    failed=1
  fi
  if diff -u <(mask <"$work/$name.linux.txt") <(mask <"$work/$name.windows.txt") \
      >"$work/$name.diff"; then
    echo "$name: $(wc -l <"$work/$name.linux.txt") lines, the same on both systems"
  else
    echo "$name: the reports differ (Linux -, Windows +):"
    cat "$work/$name.diff"
    failed=1
  fi
}

compare report "$linux_list" "$windows_list"
compare all "$linux_list" "$windows_list" /all
compare no-disk "" ""

# Standard error and the exit code too, for the entries that do not open, the
# options and the failed writes: the Windows paths read as the Linux ones once
# "Z:" and the backslashes are taken out. The line of --verbose that says what
# confines the Linux program has no Windows counterpart (Windows is not confined).
unwin() { sed -e 's/\r$//' -e 's|\\|/|g' -e "s|Z:/|/|g"; }
mkfifo "$work/fifo"
run_both() {  # NAME STDOUT(file|full|closed) DISKLENS_DISKS(Linux) DISKLENS_DISKS(Windows) [ARGS...]
  local name=$1 to=$2 linux_disks=$3 windows_disks=$4 system rc
  shift 4
  for system in linux windows; do
    local out=$work/$name.$system.out cmd=("$linux" "$@") disks=$linux_disks
    if [ "$system" = windows ]; then
      cmd=("$wine_run" --prefix "$prefix" "$windows" "$@")
      disks=$windows_disks
    fi
    rc=0
    # A program that waited for a FIFO's writer would be cut off here, and fail.
    case $to in
      file) DISKLENS_DISKS=$disks timeout 120 "${cmd[@]}" >"$out" 2>"$work/$name.$system.err" </dev/null || rc=$? ;;
      full) DISKLENS_DISKS=$disks timeout 120 "${cmd[@]}" >/dev/full 2>"$work/$name.$system.err" </dev/null || rc=$? ;;
      closed) DISKLENS_DISKS=$disks timeout 120 "${cmd[@]}" >&- 2>"$work/$name.$system.err" </dev/null || rc=$? ;;
    esac
    echo "exit code $rc" >>"$work/$name.$system.err"
    [ -f "$out" ] || : >"$out"
  done
  if ! diff -u <(mask <"$work/$name.linux.out") <(mask <"$work/$name.windows.out") >"$work/$name.diff" ||
     ! diff -u <(grep -v '^disklens: confinement: ' "$work/$name.linux.err") \
               <(unwin <"$work/$name.windows.err") >>"$work/$name.diff"; then
    echo "$name: the runs differ (Linux -, Windows +):"
    cat "$work/$name.diff"
    failed=1
  else
    echo "$name: stdout, stderr and exit code the same on both systems ($(tail -1 "$work/$name.linux.err"))"
  fi
}
entries=("$work/images/mbr-chain.img" "$work/missing.img" "$work/images" "$work/fifo"
         "$work/images/gpt.img@513" "$work/images/gpt-4k.img@4096")
linux_entries=$(IFS=:; echo "${entries[*]}")
windows_entries=
for i in "${!entries[@]}"; do
  [ "$i" -eq 0 ] || windows_entries+=";"
  windows_entries+=$(winpath "${entries[$i]}")
done
run_both entries file "$linux_entries" "$windows_entries"
run_both verbose file "$linux_entries" "$windows_entries" --verbose /all
run_both help file "" "" --help
run_both version file "" "" --version -v
run_both ignored file "" "" --extra /all
run_both full-disk full "$linux_list" "$windows_list"
run_both closed-stdout closed "$linux_list" "$windows_list"
# Disks named as operands (Z:\ paths on Windows, DISKLENS_DISKS unset unless
# given): stdout, stderr and the exit code the same on both systems. That the
# report is byte for byte that of DISKLENS_DISKS the unit suite shows on Linux.
run_operands() {  # NAME DISKLENS_DISKS|- ARGS... (paths under $work become Z:\ paths)
  local name=$1 list=$2 a system rc
  shift 2
  local windows_args=() set_list=(env -u DISKLENS_DISKS)
  for a in "$@"; do
    case $a in
      "$work"*) windows_args+=("$(winpath "$a")") ;;
      *) windows_args+=("$a") ;;
    esac
  done
  for system in linux windows; do
    local cmd=("$linux" "$@")
    [ "$list" = - ] || set_list=(env "DISKLENS_DISKS=$list")
    if [ "$system" = windows ]; then
      cmd=("$wine_run" --prefix "$prefix" "$windows" "${windows_args[@]}")
      [ "$list" = - ] || set_list=(env "DISKLENS_DISKS=$(winpath "$list")")
    fi
    rc=0
    "${set_list[@]}" timeout 120 "${cmd[@]}" >"$work/$name.$system.out" \
      2>"$work/$name.$system.err" </dev/null || rc=$?
    echo "exit code $rc" >>"$work/$name.$system.err"
  done
  if ! diff -u <(mask_json <"$work/$name.linux.out" | mask) \
         <(mask_json <"$work/$name.windows.out" | mask) >"$work/$name.diff" ||
     ! diff -u <(grep -v '^disklens: confinement: ' "$work/$name.linux.err") \
               <(unwin <"$work/$name.windows.err") >>"$work/$name.diff"; then
    echo "$name: the runs differ (Linux -, Windows +):"
    cat "$work/$name.diff"
    failed=1
  else
    echo "$name: stdout, stderr and exit code the same on both systems ($(tail -1 "$work/$name.linux.err"))"
  fi
}
# The run date and the paths of a --json document, which differ between the systems by nature.
mask_json() {
  tr -d '\r' | sed -e 's/"run_date":"[^"]*"/"run_date":"<masked>"/' -e 's/"source":"[^"]*"/"source":"<masked>"/g'
}
named=()
for d in "${disks[@]}"; do [ -z "$d" ] || named+=("$d"); done
run_operands operands - "${named[@]}"
run_operands operands-all-before - /all "${named[@]}"
run_operands operands-all-after - "${named[@]}" /ALL
run_operands operands-json - --json "${named[@]}"
run_operands operands-double-dash - -- "${named[@]}"
run_operands operands-missing - "$work/images/mbr-chain.img" "$work/missing.img" "$work/images" \
  "$work/images/gpt-4k.img@4096"
run_operands operands-beside-list "$work/missing.img" -v "$work/images/gpt.img"
forty=()
for i in $(seq 0 39); do
  if [ "$i" -lt 32 ]; then forty+=("$work/images/mbr-chain.img"); else forty+=("$work/images/gpt.img@512"); fi
done
run_operands operands-forty - "${forty[@]}"
# The reports of the operands are those of DISKLENS_DISKS on Linux.
if ! diff -q <(mask <"$work/operands.linux.out") \
    <(DISKLENS_DISKS=$(IFS=:; echo "${named[*]}") "$linux" </dev/null | mask) >/dev/null; then
  echo "operands: the Linux report differs from that of DISKLENS_DISKS"
  failed=1
fi

# And they say what they should.
for expected in "operands-missing.linux.err:disklens: HD1: $work/missing.img: No such file or directory" \
                "operands-missing.linux.err:disklens: HD2: $work/images: not a disk image or block device" \
                "operands-missing.linux.err:exit code 1" "operands.linux.err:exit code 0" \
                "operands-beside-list.linux.err:disklens: DISKLENS_DISKS not read: the disks named on the command line are reported" \
                "operands-forty.linux.err:disklens: 8 disks left out past HD31" \
                "operands-forty.linux.err:disklens: left out: $work/images/gpt.img@512" \
                "operands-forty.linux.err:exit code 1" \
                "entries.linux.err:disklens: HD1: $work/missing.img: No such file or directory" \
                "entries.linux.err:disklens: HD2: $work/images: not a disk image or block device" \
                "entries.linux.err:disklens: HD3: $work/fifo: not a disk image or block device" \
                "entries.linux.err:disklens: HD4: $work/images/gpt.img@513: unknown sector size \"@513\" (use @512, @1024, @2048 or @4096)" \
                "verbose.linux.err:disklens: HD5 = $work/images/gpt-4k.img (4096-byte sectors, " \
                "ignored.linux.err:disklens: ignoring argument \"--extra\" (see --help)" \
                "full-disk.linux.err:disklens: write error: No space left on device" \
                "full-disk.linux.err:exit code 1" "closed-stdout.linux.err:exit code 1"; do
  if ! grep -qF -- "${expected#*:}" "$work/${expected%%:*}"; then
    echo "${expected%%:*} lacks \"${expected#*:}\""
    failed=1
  fi
done

# The --json documents: the same but for the run date and the paths, which
# differ between the systems by nature (mask_json, above).
for args in "--json" "--json /all"; do
  name=json; [ "$args" = "--json" ] || name=json-all
  # shellcheck disable=SC2086
  DISKLENS_DISKS=$linux_list "$linux" $args >"$work/$name.linux.json" </dev/null
  # shellcheck disable=SC2086
  DISKLENS_DISKS=$windows_list "$wine_run" --prefix "$prefix" "$windows" $args \
    >"$work/$name.windows.json" </dev/null
  if diff -u <(mask_json <"$work/$name.linux.json") <(mask_json <"$work/$name.windows.json") \
      >"$work/$name.diff"; then
    echo "$name: $(wc -c <"$work/$name.linux.json") bytes of JSON, the same on both systems"
  else
    echo "$name: the documents differ (Linux -, Windows +):"
    cat "$work/$name.diff"
    failed=1
  fi
done

# The comparison means something only if the report shows what the images hold.
for marker in "MBR Partition Information (HD0" "Volume Information" "EMBR Found (HD1)" \
              "MPT Found" "MBFT Found" "MDT Found" "BOOT SECTOR INFORMATION" \
              "File System ID: 0x6 " "File System ID: 0x7 " "File System ID: 0xC " \
              "File System ID: 0x1 " "File System ID: 0xDA " "Error on Read" "Error reading LBA" \
              "MBR Partition Information (HD3" "MBR Partition Information (HD4" "GPT Found (HD" \
              "Chain stopped after 8192 EBRs of this disk, before LBA 64" "Total Sectors: 0   ID: 0x1" \
              "File System ID: 0x6   LBA: 4294969345  Total Sectors: 2047   ID: 0x7EB" \
              "File System ID: 0x7   LBA: 4294969344  Total Sectors: 4096   ID: 0x1"; do
  if ! grep -qF "$marker" "$work/report.linux.txt" "$work/all.linux.txt"; then
    echo "the Linux report lacks \"$marker\": the images do not show what they should"
    failed=1
  fi
done
exit $failed
