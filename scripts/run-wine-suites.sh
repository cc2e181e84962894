#!/usr/bin/env bash
# Runs the two Wine suites on the display set up by with-display.sh. The
# main suite comes last, so the run ends with its summary line.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
if [ -x scripts/wine32-run ] && [ -f build/win32/CTestTestfile.cmake ]; then
  ctest --preset win32 || status=$?
fi
ctest --preset win64 || status=$?
exit $status
