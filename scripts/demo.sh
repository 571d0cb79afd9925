#!/usr/bin/env bash
# The main job: builds the plug-ins and the command-line host, then runs the
# demo: an animation exported through Orlune and imported back through Vestan.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
build/default/movara demo "${1:-build/default/demo}"
