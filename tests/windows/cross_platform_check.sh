#!/usr/bin/env bash
# cross_platform_check.sh LINUX_BUILD WINDOWS_BUILD WINE WORK [FIXTURE]
#
# SEQ files cross between the platforms unchanged: both write big-endian.
# With the command-line host of each build (LINUX_BUILD/movara natively,
# WINDOWS_BUILD/movara.exe under the Wine loader WINE), each exports the same
# animation (FIXTURE, by default fixtures/cross_platform.json beside this
# script) through its own Orlune. Then:
# - the Windows-written files have the same bytes as the Linux-written ones,
#   except where the stand-in Movara's own maths (its C library's) differs in
#   the last bits: that is noted, not failed;
# - a Windows-written file imports through the Linux Vestan into the same
#   animation (the same JSON document) as the Linux-written file;
# - a Linux-written file imports through the Windows Vestan into that same
#   animation;
# "the same animation": the same document from `movara import --json`, numbers
# equal to within single-precision rounding (animation_json_compare.py).
# Files go to WORK, which is made afresh. Exit status 0 when all hold.
set -euo pipefail
if [ $# -lt 4 ]; then
  echo "usage: $0 LINUX_BUILD WINDOWS_BUILD WINE WORK [FIXTURE]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
linux_build=$(cd "$1" && pwd)
windows_build=$(cd "$2" && pwd)
wine_program=$3
work=$4
fixture=$(cd "$(dirname "${5:-$here/fixtures/cross_platform.json}")" && pwd)/$(basename "${5:-$here/fixtures/cross_platform.json}")
wine_run=$here/../../cmake/wine_run.sh
compare=$here/animation_json_compare.py

linux_movara() { "$linux_build/movara" "$@"; }
windows_movara() { "$wine_run" "$wine_program" "$windows_build/wine_prefix" "$windows_build/movara.exe" "$@"; }

rm -rf "$work"
mkdir -p "$work"
cd "$work"
cp "$fixture" animation.json

failures=0
identical=0
fail() {
  echo "cross-platform check FAILED: $*" >&2
  failures=$((failures + 1))
}

linux_movara export animation.json linux.seq >linux_export.log 2>&1 || fail "Linux export (linux_export.log)"
windows_movara export animation.json windows.seq >windows_export.log 2>&1 ||
  fail "Windows export (windows_export.log)"

figure_files=$(ls linux_*.seq 2>/dev/null || true)
if [ -z "$figure_files" ]; then
  fail "the Linux export wrote no linux_<figure>.seq files"
fi
for linux_file in $figure_files; do
  figure=${linux_file#linux_}
  figure=${figure%.seq}
  windows_file=windows_$figure.seq
  if [ ! -f "$windows_file" ]; then
    fail "the Windows export wrote no $windows_file"
    continue
  fi
  if cmp -s "$linux_file" "$windows_file"; then
    identical=$((identical + 1))
  else
    # Allowed: a value that the stand-in Movara computes with its C library's
    # maths (the heading quaternions: sines and cosines) may differ in its last bits.
    echo "note: $windows_file and $linux_file differ in $(cmp -l "$linux_file" "$windows_file" | wc -l) bytes"
  fi

  linux_movara import "$linux_file" --json "linux_file_on_linux_$figure.json" >/dev/null 2>&1 ||
    fail "Linux import of $linux_file"
  linux_movara import "$windows_file" --json "windows_file_on_linux_$figure.json" >/dev/null 2>&1 ||
    fail "Linux import of $windows_file"
  windows_movara import "$linux_file" --json "linux_file_on_windows_$figure.json" >/dev/null 2>&1 ||
    fail "Windows import of $linux_file"

  "$compare" "linux_file_on_linux_$figure.json" "windows_file_on_linux_$figure.json" ||
    fail "figure $figure: the Windows-written file imports on Linux into another animation" \
         "(see $work/linux_file_on_linux_$figure.json, $work/windows_file_on_linux_$figure.json)"
  "$compare" "linux_file_on_linux_$figure.json" "linux_file_on_windows_$figure.json" ||
    fail "figure $figure: the Linux-written file imports on Windows into another animation" \
         "(see $work/linux_file_on_linux_$figure.json, $work/linux_file_on_windows_$figure.json)"
done

count=$(echo "$figure_files" | wc -w)
if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "cross-platform check passed: $count SEQ files ($identical byte for byte the same)," \
     "written on Windows and on Linux, import into the same animations on both"
