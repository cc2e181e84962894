#!/usr/bin/env bash
# Runs a command with one virtual X display for all the Wine programs it
# starts, and a persistent wineserver per prefix for the length of the run.
set -euo pipefail
number=99
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
  number=$((number + 1))
done
Xvfb ":$number" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$number" ] && break
  sleep 0.1
done
export DISPLAY=":$number"
"$@"
