#!/usr/bin/env bash
# Sets the machine up (first run only) and runs every test suite: the native
# text rules under sanitizers, the 32-bit suite on the shipped i686
# QUORVEL.dll, and the main suite on the x86_64 build under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

for preset in native win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

ctest --preset native
scripts/with-display.sh scripts/run-wine-suites.sh
