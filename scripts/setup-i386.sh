#!/usr/bin/env bash
# Prepares this machine to run 32-bit Windows programs under 32-bit Wine
# (scripts/wine32-run). Run as root; safe to run again, and quick when
# everything is already in place.
#
# Where the kernel cannot execute 32-bit x86 code itself, i386 ELF binaries are
# run by qemu-i386 (user-mode emulation) through binfmt_misc, and Wine's 32-bit
# processes preload tools/mapfix, built here into a directory outside the
# clone.
#
# qemu must be 9.1 or newer. Debian 12's own qemu 7.2 starts Wine only with
# mapfix's mmap fix, and even then its helper processes crash at random
# ("uncaught target signal 11", "stack smashing detected"), which leaves runs
# hanging until their time limit, most often while a new prefix is set up. On
# Debian 12 the newer qemu-user comes from the backports suite of the same
# Debian mirror the machine already uses; backports never upgrade anything
# else unless asked to.
#
# Environment:
#   QUORVEL_MAPFIX_DIR   where the preload libraries go
#                        (default /var/cache/quorvel/mapfix; wine32-run reads
#                        the same variable)
#   QUORVEL_APT_WAIT     seconds to wait for an apt/dpkg lock held by someone
#                        else (default 900)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
src=$(cd "$here/../tools/mapfix" && pwd)
mapfix_dir=${QUORVEL_MAPFIX_DIR:-/var/cache/quorvel/mapfix}
apt_wait=${QUORVEL_APT_WAIT:-900}
qemu=/usr/bin/qemu-i386
qemu_min=1:9.1
binfmt=/proc/sys/fs/binfmt_misc
binfmt_name=quorvel-i386

say() { echo "setup-i386: $*"; }
die() { echo "setup-i386: error: $*" >&2; exit 1; }

[ "$(id -u)" = 0 ] || die "must run as root"
[ "$(uname -m)" = x86_64 ] || die "expected an x86_64 machine, found $(uname -m)"

# One run at a time: two concurrent runs would race on apt and binfmt.
lockdir=/run/lock
[ -d "$lockdir" ] || lockdir=/tmp
exec 9>"$lockdir/quorvel-setup-i386.lock"
flock 9

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs an apt/dpkg command, retrying while another process holds the lock.
# Any other failure is final.
apt_retry() {
  local deadline=$((SECONDS + apt_wait)) rc
  while :; do
    rc=0
    "$@" >"$work/apt.log" 2>&1 || rc=$?
    if [ "$rc" = 0 ]; then
      return 0
    fi
    if grep -qE 'Could not get lock|Unable to (acquire|lock)|is another process using it|dpkg frontend lock|dpkg status database is locked' "$work/apt.log" \
       && [ "$SECONDS" -lt "$deadline" ]; then
      say "apt is locked by another process; waiting..."
      sleep 5
      continue
    fi
    tail -n 30 "$work/apt.log" >&2
    die "'$*' failed (exit $rc)"
  done
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# --- Can this kernel run 32-bit code itself? --------------------------------
# A tiny static i386 program with no libc: it asks uname() for the machine
# name. Executed natively by a 64-bit kernel it sees "x86_64" and exits 0;
# under qemu-i386 the name is the emulated CPU ("i686") and it exits 1. A
# kernel without 32-bit support refuses to execute it at all.
command -v gcc >/dev/null || die "gcc is needed to build the i386 helpers"
cat >"$work/probe.c" <<'EOF'
static char uts[6 * 65];
void _start(void)
{
    int ret, code;
    __asm__ volatile ("int $0x80" : "=a"(ret) : "0"(122), "b"(uts) : "memory");
    const char *machine = uts + 4 * 65;
    code = !(ret == 0 && machine[0] == 'x' && machine[1] == '8' && machine[2] == '6'
             && machine[3] == '_' && machine[4] == '6' && machine[5] == '4');
    __asm__ volatile ("int $0x80" :: "a"(1), "b"(code));
    for (;;) ;
}
EOF
gcc -m32 -static -nostdlib -fno-pie -no-pie -fno-stack-protector -O1 \
  -o "$work/probe" "$work/probe.c" || die "cannot build a static i386 probe with gcc -m32"

probe_rc=0
"$work/probe" 2>/dev/null || probe_rc=$?

emulate=1
if [ "$probe_rc" = 0 ]; then
  emulate=0
  say "this kernel runs 32-bit x86 code natively: skipping qemu, binfmt and the mapfix preload"
fi

# --- Packages ----------------------------------------------------------------
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  say "adding dpkg architecture i386"
  apt_retry dpkg --add-architecture i386
fi

qemu_ok() {
  local v
  v=$(dpkg-query -W -f='${Status} ${Version}' qemu-user 2>/dev/null) || return 1
  case $v in "install ok installed "*) ;; *) return 1 ;; esac
  dpkg --compare-versions "${v##* }" ge "$qemu_min"
}

codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")

# The backports suite, on the mirror and key the machine's own sources use for
# its release. Prints nothing when the release has no such entry.
backports_source() {
  local uri= key=
  read -r uri key < <(
    {
      for f in /etc/apt/sources.list.d/*.sources; do [ -f "$f" ] && cat "$f" && echo; done
    } | awk -v rel="$codename" '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " rel " ") && uris != "" && !found) {
          split(uris, u, " "); print u[1], (key == "" ? "-" : key); found = 1
        }
        types = suites = uris = key = ""
      }
      /^[ \t]*$/ { flush(); next }
      /^Types:/ { sub(/^Types:[ \t]*/, ""); types = $0 }
      /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0 }
      /^URIs:/ { sub(/^URIs:[ \t]*/, ""); uris = $0 }
      /^Signed-By:/ { sub(/^Signed-By:[ \t]*/, ""); key = $0 }
      END { flush() }'
    if [ -f /etc/apt/sources.list ]; then
      awk -v rel="$codename" '$1 == "deb" {
          i = 2; if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
          if ($(i + 1) == rel) { print $i, "-"; exit } }' /etc/apt/sources.list
    fi
  ) || true
  [ -n "${uri:-}" ] || return 0
  printf 'Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\n' "$uri" "$codename"
  [ "$key" != - ] && printf 'Signed-By: %s\n' "$key"
  return 0
}

missing=()
installed wine32:i386 || missing+=(wine32:i386)
qemu_pkg=qemu-user
if [ "$emulate" = 1 ] && ! qemu_ok; then
  # An older qemu-user-static owns the same binaries under other names and is
  # declared incompatible by the newer qemu-user; it goes.
  installed qemu-user-static && missing+=(qemu-user-static-)
  if [ "$codename" = bookworm ]; then
    list=/etc/apt/sources.list.d/quorvel-$codename-backports.sources
    if [ ! -f "$list" ]; then
      entry=$(backports_source)
      [ -n "$entry" ] || die "found no apt source for $codename to derive $codename-backports from"
      say "adding $codename-backports to apt sources ($list)"
      echo "$entry" >"$list"
    fi
    qemu_pkg=qemu-user/$codename-backports
  fi
  missing+=("$qemu_pkg")
fi
if [ "${#missing[@]}" -gt 0 ]; then
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt_retry apt-get -o DPkg::Lock::Timeout="$apt_wait" update
  apt_retry apt-get -o DPkg::Lock::Timeout="$apt_wait" install -y --no-install-recommends \
    "${missing[@]}"
fi

wine32=/usr/lib/wine/wine
[ -x "$wine32" ] || die "$wine32 is missing although wine32:i386 is installed"
if [ "$emulate" = 1 ]; then
  qemu_ok || die "qemu-user $qemu_min or newer is needed and could not be installed"
  [ -x "$qemu" ] || die "$qemu is missing although qemu-user is installed"
fi

# --- mapfix preload libraries ------------------------------------------------
# One i386 library that does the work, one empty x86_64 twin for native
# processes. The loader expands $PLATFORM in LD_PRELOAD: x86_64 for 64-bit
# processes; for i386 ones it depends on the (emulated) CPU, so every 32-bit
# name the loader might use gets the real library.
if [ "$emulate" = 1 ]; then
  libc32=
  for f in /lib/i386-linux-gnu/libc.so.6 /lib32/libc.so.6; do
    if [ -e "$f" ]; then libc32=$f; break; fi
  done
  [ -n "$libc32" ] || die "no i386 libc.so.6 found to link mapfix against"

  cflags=(-O2 -Wall -Wextra -fPIC -shared -nostdlib -fno-stack-protector -fvisibility=hidden)
  # The stamp covers the sources and the way they are built.
  stamp=$(cat "$src/mapfix.c" "$src/empty.c" <(echo "${cflags[*]} $libc32") | sha256sum | cut -d' ' -f1)
  platforms32=(i386 i486 i586 i686)
  current=1
  [ "$(cat "$mapfix_dir/stamp" 2>/dev/null)" = "$stamp" ] || current=0
  for d in "${platforms32[@]}" x86_64; do
    [ -s "$mapfix_dir/$d/mapfix.so" ] || current=0
  done
  if [ "$current" = 1 ]; then
    say "mapfix is up to date in $mapfix_dir"
  else
    say "building mapfix into $mapfix_dir"
    gcc -m32 "${cflags[@]}" -o "$work/mapfix32.so" "$src/mapfix.c" "$libc32" \
      || die "building the i386 mapfix library failed"
    gcc -m64 "${cflags[@]}" -o "$work/mapfix64.so" "$src/empty.c" \
      || die "building the x86_64 mapfix stub failed"
    # Replace each file by rename so a running process never sees half a file.
    for d in "${platforms32[@]}" x86_64; do
      mkdir -p "$mapfix_dir/$d"
      lib=$work/mapfix32.so
      [ "$d" = x86_64 ] && lib=$work/mapfix64.so
      install -m 0644 "$lib" "$mapfix_dir/$d/.mapfix.so.$$"
      mv -f "$mapfix_dir/$d/.mapfix.so.$$" "$mapfix_dir/$d/mapfix.so"
    done
    echo "$stamp" >"$mapfix_dir/stamp.$$"
    mv -f "$mapfix_dir/stamp.$$" "$mapfix_dir/stamp"
  fi
fi

# --- binfmt_misc -------------------------------------------------------------
# i386 ELF executables go to qemu-i386. The F flag makes the kernel open
# the interpreter now, so it is found from inside any mount namespace or chroot
# Wine may use later.
if [ "$emulate" = 1 ]; then
  if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null \
      || die "binfmt_misc is not mounted at $binfmt and mounting it failed"
  fi
  [ "$(cat "$binfmt/status")" = enabled ] || echo 1 >"$binfmt/status"

  # Any enabled entry that already sends i386 ELF to this qemu with F will do
  # (for example one installed by the qemu packages). When several entries
  # match a file the kernel takes the most recently registered one, so
  # registering ours also overrides older entries for an older qemu.
  registered=
  for e in "$binfmt"/*; do
    case ${e##*/} in register|status) continue ;; esac
    [ -f "$e" ] || continue
    if grep -qx enabled "$e" && grep -qx "interpreter $qemu" "$e" \
       && grep -q '^flags:.*F' "$e" \
       && grep -q '^magic 7f454c46010101' "$e"; then
      registered=${e##*/}
      break
    fi
  done
  if [ -n "$registered" ]; then
    say "binfmt entry '$registered' already hands i386 ELF to qemu"
  else
    # Our own entry might exist in an unusable state (disabled, other flags,
    # an older qemu).
    [ -e "$binfmt/$binfmt_name" ] && echo -1 >"$binfmt/$binfmt_name"
    say "registering binfmt entry '$binfmt_name' -> $qemu"
    printf '%s' ":$binfmt_name:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$qemu:F" \
      >"$binfmt/register" || die "registering the i386 binfmt entry failed"
  fi

  probe_rc=0
  "$work/probe" 2>/dev/null || probe_rc=$?
  [ "$probe_rc" = 1 ] || die "a static i386 program still does not run under qemu (exit $probe_rc)"
fi

say "ready: run 32-bit programs with scripts/wine32-run"
