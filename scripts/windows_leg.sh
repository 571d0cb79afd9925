#!/usr/bin/env bash
# The Windows leg of the tests: cross-builds the 32-bit Windows plug-ins
# (build/win32: vestan.dll and orlune.dll under plugins/, movara_host.dll,
# movara.exe, the test programs), runs the test suites under Wine, checks the
# DLLs' export tables, imports and resources, and checks that SEQ files cross
# between Windows and Linux unchanged.
#
# Set-up: installs the mingw-w64 cross compiler and Wine with apt when they are
# missing and this runs as root. When it cannot, it prints one line
# "Windows leg skipped: <why>" and exits 0, or 1 when WINDOWS_LEG_REQUIRED=1.
#
# Where the machine cannot run 32-bit programs at all (a kernel without 32-bit
# emulation; Wine's 32-bit loader then fails with "Exec format error"), the
# 32-bit DLLs are still built and checked as files, and the test suites and
# the cross-platform check run on the same tree built for 64-bit Windows
# (build/win64) under 64-bit Wine. WINDOWS_LEG_REQUIRE_WIN32=1 makes that
# case a failure instead.
#
# The cross-platform check needs the Linux build's `movara`: LINUX_BUILD names
# that build tree (default: build/ci, else build/default; built when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
log_directory=$root/build/windows_leg
mkdir -p "$log_directory"

required=${WINDOWS_LEG_REQUIRED:-0}
skip() {
  echo "Windows leg skipped: $*"
  if [ "$required" = 1 ]; then
    exit 1
  fi
  exit 0
}
step() { echo "== Windows leg: $*"; }

# apt_install PACKAGE...: quietly, as root only; answers whether it worked.
apt_install() {
  [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null || return 1
  local install_log=$log_directory/apt.log
  {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386
    fi
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y "$@"
  } >>"$install_log" 2>&1
}

# Debian's `wine` falls back on the 64-bit loader when the 32-bit one
# (package wine32:i386) is missing, so that package is looked for too.
wine32_package_present() {
  ! command -v dpkg-query >/dev/null ||
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"
}
win32_tools_present() {
  command -v i686-w64-mingw32-g++-posix >/dev/null && command -v wine >/dev/null && wine32_package_present
}
if ! win32_tools_present; then
  step "installing the mingw-w64 cross compiler and Wine"
  apt_install g++-mingw-w64-i686 wine wine32:i386 || true
  if ! win32_tools_present; then
    if [ "$(id -u)" != 0 ]; then
      skip "i686-w64-mingw32-g++-posix or 32-bit wine is missing and installing them needs root"
    fi
    skip "i686-w64-mingw32-g++-posix or 32-bit wine is missing and apt could not install them (see $log_directory/apt.log)"
  fi
fi

# Can this machine run 32-bit programs? Wine's 32-bit loader is one.
win32_runs=1
win32_why=""
if ! wine_version=$(wine --version 2>&1); then
  win32_runs=0
  if echo "$wine_version" | grep -q "Exec format error"; then
    win32_why="this machine's kernel runs no 32-bit programs (32-bit emulation is off)"
  else
    win32_why="wine does not start: $(echo "$wine_version" | tail -1)"
  fi
fi
if [ "$win32_runs" = 0 ] && [ "${WINDOWS_LEG_REQUIRE_WIN32:-0}" = 1 ]; then
  echo "Windows leg FAILED: $win32_why, and WINDOWS_LEG_REQUIRE_WIN32=1 asks for the 32-bit run"
  exit 1
fi

step "building the win32 preset (log: $log_directory/win32_build.log)"
if ! { cmake --preset win32 && cmake --build --preset win32; } >"$log_directory/win32_build.log" 2>&1; then
  tail -40 "$log_directory/win32_build.log"
  echo "Windows leg FAILED: the win32 build failed (log: $log_directory/win32_build.log)"
  exit 1
fi
for file in build/win32/plugins/vestan.dll build/win32/plugins/orlune.dll build/win32/movara_host.dll; do
  [ -f "$file" ] || { echo "Windows leg FAILED: $file was not built"; exit 1; }
done

# The build whose test programs run under Wine.
if [ "$win32_runs" = 1 ]; then
  step "running the win32 tests under Wine"
  ctest --preset win32
  run_preset=win32
  wine_program=wine
else
  echo "Windows leg: $win32_why;" \
       "the 32-bit DLLs are checked as files, the tests run on the 64-bit Windows build under 64-bit Wine"
  step "checking the win32 DLLs as files"
  ctest --preset win32 -L build_machine
  wine64_present() { command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ]; }
  if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! wine64_present; then
    step "installing the 64-bit mingw-w64 cross compiler and 64-bit Wine"
    apt_install g++-mingw-w64-x86-64-posix wine64 || true
  fi
  if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! wine64_present; then
    skip "$win32_why, and x86_64-w64-mingw32-g++-posix or wine64 is missing for the 64-bit run"
  fi
  step "building the win64 preset (log: $log_directory/win64_build.log)"
  if ! { cmake --preset win64 && cmake --build --preset win64; } >"$log_directory/win64_build.log" 2>&1; then
    tail -40 "$log_directory/win64_build.log"
    echo "Windows leg FAILED: the win64 build failed (log: $log_directory/win64_build.log)"
    exit 1
  fi
  step "running the win64 tests under 64-bit Wine"
  ctest --preset win64
  run_preset=win64
  wine_program=wine64
  [ -x /usr/lib/wine/wine64 ] && wine_program=/usr/lib/wine/wine64
fi

step "cross-platform SEQ files ($run_preset movara.exe under $wine_program and Linux movara)"
linux_build=${LINUX_BUILD:-}
if [ -z "$linux_build" ]; then
  for candidate in build/ci build/default; do
    if [ -x "$candidate/movara" ]; then
      linux_build=$candidate
      break
    fi
  done
fi
if [ -z "$linux_build" ]; then
  linux_build=build/ci
  step "building the Linux movara in $linux_build (log: $log_directory/linux_build.log)"
  { cmake --preset ci && cmake --build --preset ci --target movara vestan orlune; } \
    >"$log_directory/linux_build.log" 2>&1 ||
    { echo "Windows leg FAILED: the Linux build for the cross-platform check failed"; exit 1; }
fi
tests/windows/cross_platform_check.sh "$linux_build" "build/$run_preset" "$wine_program" \
  "build/$run_preset/cross_platform"

echo "Windows leg passed"
