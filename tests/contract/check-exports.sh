#!/usr/bin/env bash
# Checks the host contract on the built i686 QUORVEL.dll itself: it exports
# exactly the fifteen callbacks under their plain names, and every callback
# removes 4 bytes per argument from the stack when it returns (each `ret` of
# the function carries that immediate; `ret` alone for no arguments).
set -euo pipefail
dll=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
nm=${NM:-i686-w64-mingw32-nm}

expected="BKC_OnDragDrop:4 BKC_OnEveryMinute:0 BKC_OnExit:0 BKC_OnFinishRetrieve:1
BKC_OnKeyDispatch:3 BKC_OnMenuInit:3 BKC_OnOpenCompose:2 BKC_OnOpenFolder:1 BKC_OnOpenMail:1
BKC_OnOutgoing:2 BKC_OnPlugInInfo:1 BKC_OnPlugInSetup:1 BKC_OnRetrieve:2 BKC_OnSend:1 BKC_OnStart:0"

# Export names and their addresses from the export table.
base=$($objdump -p "$dll" | awk '/^ImageBase/ {print $2}')
exports=$($objdump -p "$dll" | awk '
  /\[Ordinal\/Name Pointer\] Table/ {names = 1; next}
  names && /^[ \t]*\[/ {gsub(/[\[\]]/, "", $0); print $NF; next}
  names && NF == 0 {names = 0}')
actual_names=$(echo "$exports" | sort | tr '\n' ' ')
expected_names=$(echo $expected | tr ' ' '\n' | cut -d: -f1 | sort | tr '\n' ' ')
if [ "$actual_names" != "$expected_names" ]; then
  echo "FAIL exports: got [$actual_names] want [$expected_names]"
  exit 1
fi
echo "ok: exactly the fifteen plain export names"

failures=0
symbols=$($nm --defined-only -n "$dll")
for entry in $expected; do
  name=${entry%%:*}
  args=${entry##*:}
  bytes=$((args * 4))
  # The compiler's decorated name carries the argument bytes of the definition.
  decorated=$(awk -v n="_${name}@" 'index($3, n) == 1 && $3 !~ /\.cold$/ {print $3}' <<<"$symbols")
  if [ "$decorated" != "_${name}@${bytes}" ]; then
    echo "FAIL $name: decorated as '$decorated', want _${name}@${bytes}"
    failures=$((failures + 1))
    continue
  fi
  start=$(awk -v s="$decorated" '$3 == s {print $1}' <<<"$symbols")
  next=$(awk -v a="$start" 'found && $1 != a {print $1; exit} $1 == a {found = 1}' <<<"$symbols")
  rets=$($objdump -d --no-show-raw-insn --start-address=0x$start --stop-address=0x$next "$dll" |
         awk '$2 == "ret" || $2 == "retl" {print ($3 == "" ? "0" : $3)}' | sort -u | tr '\n' ' ')
  want=$([ "$bytes" -eq 0 ] && echo "0 " || printf '$0x%x ' "$bytes")
  if [ "$rets" != "$want" ]; then
    echo "FAIL $name: returns with [${rets}], want [${want}]"
    failures=$((failures + 1))
  else
    echo "ok: $name removes $bytes bytes"
  fi
done
[ "$failures" -eq 0 ]
