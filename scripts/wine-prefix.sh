# Sourced by the Wine runners. Prepares a prefix once: without a window
# manager on the virtual display, Wine waits about two seconds for every
# managed window that is hidden or destroyed; unmanaged windows need no wait.
# Usage: prepare_wine_prefix <wine loader>   (WINEPREFIX set)
prepare_wine_prefix() {
  local wine=$1 marker="$WINEPREFIX/.quorvel-unmanaged"
  [ -e "$marker" ] && return 0
  mkdir -p "$WINEPREFIX"
  # A lock, so two runs that start together create the prefix once.
  (
    flock 9
    if [ ! -e "$marker" ]; then
      "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      touch "$marker"
    fi
  ) 9>"$WINEPREFIX.lock"
}
