#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build (warnings are errors)
# and then the 32-bit Windows leg under Wine. Does its own set-up.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset ci
cmake --build --preset ci
ctest --preset ci
scripts/windows_leg.sh
