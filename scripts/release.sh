#!/usr/bin/env bash
# Builds the shipped i686 QUORVEL.dll and packs it with the user guide into
# build/release/quorvel-<version>-win32.zip, then prints the archive's SHA-256.
#
# What ships is the last commit, not the working tree: the commit is exported
# into build/release/source and built there with the win32 preset, so edits
# not yet committed never reach a release.
#
# The archive is reproducible: the DLL carries no link time, and the archive
# has a fixed member order, no extra file attributes, mode 0644, and every
# member stamped with the commit's time (or SOURCE_DATE_EPOCH when set). The guide gets Windows (CRLF) line ends in
# the archive.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

release=build/release
tree=$release/source
commit=$(git rev-parse HEAD)
rm -rf "$tree"
mkdir -p "$tree"
git archive "$commit" | tar -x -C "$tree"
echo "release: building commit $commit"

version=$(sed -n 's/^project(Quorvel VERSION \([0-9][0-9.]*\).*/\1/p' "$tree/CMakeLists.txt")
if [ -z "$version" ]; then
  echo "release: no project version found in CMakeLists.txt" >&2
  exit 1
fi

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
if ! command -v zip >/dev/null; then
  echo "release: installing zip"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends zip
fi

# Without a link time in its PE header the DLL is the same, byte for byte, on
# every build of the same commit.
(cd "$tree" && cmake --preset win32 -DCMAKE_SHARED_LINKER_FLAGS=-Wl,--no-insert-timestamp >/dev/null \
   && cmake --build --preset win32 --target QUORVEL)

dll=$tree/build/win32/bin/QUORVEL.dll
# The PE header's machine field must say i386 (0x014c): the shipped module
# is the 32-bit one.
pe=$(od -An -t u4 -j 60 -N 4 "$dll" | tr -d ' ')
machine=$(od -An -t x2 -j $((pe + 4)) -N 2 "$dll" | tr -d ' ')
if [ "$machine" != 014c ]; then
  echo "release: $dll is not an i686 module (machine 0x$machine)" >&2
  exit 1
fi

stage=$release/stage
archive=$release/quorvel-$version-win32.zip
rm -rf "$stage"
mkdir -p "$stage"
cp "$dll" "$stage/QUORVEL.dll"
sed 's/\r$//; s/$/\r/' "$tree/docs/USER-GUIDE.txt" >"$stage/USER-GUIDE.txt"
chmod 0644 "$stage/QUORVEL.dll" "$stage/USER-GUIDE.txt"

# Zip stores local time with a two-second grain, from 1980 on: UTC here,
# so the same stamp gives the same bytes on every machine.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct "$commit")}
[ "$epoch" -ge 315532800 ] || epoch=315532800
TZ=UTC touch -d "@$epoch" "$stage/QUORVEL.dll" "$stage/USER-GUIDE.txt"
rm -f "$archive"
(cd "$stage" && TZ=UTC zip -q -X -D "../${archive##*/}" QUORVEL.dll USER-GUIDE.txt)
rm -rf "$stage"

echo "release: $archive"
unzip -l "$archive" 2>/dev/null | sed 's/^/  /' || true
sha256sum "$archive"
