#!/usr/bin/env bash
# Builds the x86_64 preset where needed and runs QuorvelBench.exe under wine64
# on a virtual display; prints its one table of costs (plug-in beside bare).
# The run uses a Wine prefix of its own, so that no test run sharing the
# build's prefix (and its wineserver) stirs the figures.
#
# Environment:
#   QUORVEL_RUN_TIMEOUT   seconds before the run is stopped (default 1800)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f build/win64/CMakeCache.txt ] || [ ! -f build/win64/bench/Makefile ]; then
  cmake --preset win64 >/dev/null
fi
cmake --build --preset win64 --target QuorvelBench >/dev/null

export QUORVEL_WINE64_PREFIX=${QUORVEL_WINE64_PREFIX:-$PWD/build/win64/bench-wineprefix}
export QUORVEL_RUN_TIMEOUT=${QUORVEL_RUN_TIMEOUT:-1800}
# Wine's desktop process reports the display going away at the end; that
# line is not part of the table.
scripts/with-display.sh scripts/wine64-run build/win64/bin/QuorvelBench.exe \
  2> >(grep -v '^X connection to .* broken' >&2)
