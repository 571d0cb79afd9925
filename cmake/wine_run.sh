#!/bin/sh
# wine_run.sh WINE PREFIX PROGRAM [ARGUMENT ...]: runs a Windows program under
# the Wine loader WINE (wine or wine64) in the prefix PREFIX, quietly. The
# prefix is made on first use, once, under a lock, so that tests started side
# by side share one initialisation. Answers the program's exit status.
set -eu
wine_program=$1
prefix=$2
shift 2

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No Mono or Gecko installation dialogs, no window for the desktop.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$prefix/.initialised" ]; then
  # A loader that cannot start (a 32-bit one on a kernel without 32-bit
  # emulation: "Exec format error") is told at once, not after a boot attempt.
  if ! loader_output=$("$wine_program" --version 2>&1); then
    echo "wine_run.sh: $wine_program cannot run here: $(echo "$loader_output" | tail -1)" >&2
    exit 1
  fi
  mkdir -p "$prefix"
  (
    flock 9
    if [ ! -f "$prefix/.initialised" ]; then
      if ! timeout 600 "$wine_program" wineboot -i >"$prefix.log" 2>&1; then
        echo "wine_run.sh: initialising the Wine prefix failed, see $prefix.log" >&2
        exit 1
      fi
      timeout 120 wineserver -w || true
      touch "$prefix/.initialised"
    fi
  ) 9>"$prefix.lock"
fi

exec "$wine_program" "$@"
