#!/usr/bin/env bash
# Sets the machine up (first run only), builds the x86_64 stand-in host and
# plug-in, and runs the demo on a virtual display: the host opens the sample
# mails one by one, prints what each header window shows, and saves a picture
# of the screen as build/demo/demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
# Fonts for the picture: Wine's own (window buttons) and a Japanese face for
# the Japanese subjects of the sample mails.
for package in fonts-wine fonts-ipafont-gothic; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    if [ "$(id -u)" -eq 0 ]; then
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$package"
    else
      sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$package"
    fi
  fi
done
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target QuorvelHost QUORVEL standin_host_samples

demo=build/demo
rm -rf "$demo"
mkdir -p "$demo"
cp build/win64/bin/QuorvelHost.exe build/win64/bin/QUORVEL.dll scripts/demo.host "$demo/"
cp -r build/win64/bin/samples "$demo/"
# Three header windows to the right of the host's window, always on top,
# each hidden while the open mail lacks its header.
printf '%s\r\n' '[Quorvel]' 'AlwaysOnTop=1' 'HideIfNoHeader=1' \
  '[X-Mailer]' 'Show=1' 'Left=930' 'Top=60' 'Width=330' 'Height=64' \
  '[User-Agent]' 'Show=1' 'Left=930' 'Top=134' 'Width=330' 'Height=64' \
  '[Subject]' 'Show=1' 'Left=930' 'Top=208' 'Width=330' 'Height=64' > "$demo/QUORVEL.ini"

cd "$demo"
# A Japanese system: the code page is Shift-JIS, as on the host's home ground.
LC_ALL=ja_JP.UTF-8 QUORVEL_WINE64_PREFIX="$PWD/../win64/wineprefix" \
  ../../scripts/with-display.sh ../../scripts/wine64-run ./QuorvelHost.exe \
  --folder samples\\inbox --script demo.host
echo "demo: picture in $PWD/demo.png; settings written back to $PWD/QUORVEL.ini"
