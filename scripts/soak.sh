#!/usr/bin/env bash
# Runs the long soak: the real QUORVEL.dll in one stand-in host process under
# wine64 for 20,000 mails, 200 folder changes, 200 setup confirmations and 500
# minimise/restore and activation cycles, then prints its figures (GDI and
# USER objects, kernel handles, private memory, header windows and wall time
# at the start, after the warm-up and at the end). Builds the x86_64 preset
# where needed. Extra arguments go to the test program, e.g. --mails=50000.
#
# The run uses a Wine prefix of its own, so that no test run sharing the
# build's prefix (and its wineserver) stirs the figures.
#
# Environment:
#   QUORVEL_RUN_TIMEOUT   seconds before the run is stopped (default 3600)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f build/win64/CMakeCache.txt ]; then
  cmake --preset win64 >/dev/null
fi
cmake --build --preset win64 --target SoakTest QUORVEL OtherProcess >/dev/null

export QUORVEL_SOAK=long
export QUORVEL_WINE64_PREFIX=${QUORVEL_WINE64_PREFIX:-$PWD/build/win64/soak-wineprefix}
export QUORVEL_RUN_TIMEOUT=${QUORVEL_RUN_TIMEOUT:-3600}
# Wine's desktop process reports the display going away at the end; that
# line is not part of the figures.
scripts/with-display.sh scripts/wine64-run build/win64/bin/SoakTest.exe --gtest_color=no "$@" \
  2> >(grep -v '^X connection to .* broken' >&2)
