#!/bin/sh
# Fails unless the Windows module $1 (NAME.mexw32) is a 32-bit x86 DLL whose export table is
# named after the file and holds _mexFunction at ordinal 1 and nothing else, whose double
# arithmetic is SSE2 (no x87 arithmetic instruction, tools/find-x87.sh), and which imports
# libmx.dll, libmex.dll and the system DLLs KERNEL32.dll and msvcrt.dll only, taking nothing but
# mx operations from libmx.dll and mex operations from libmex.dll. Reads the tables with objdump -p.
set -eu
f=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
name=$(basename "$f")
dump=$(mktemp)
trap 'rm -f "$dump"' EXIT
fail() {
  echo "$f: $*" >&2
  exit 1
}
"$objdump" -p "$f" >"$dump" 2>/dev/null || fail "not an i386 PE image"

grep -q 'file format pei-i386$' "$dump" || fail "not an i386 PE image"
grep -q '^Magic[[:space:]]*010b[[:space:]]*(PE32)$' "$dump" || fail "not a PE32 (32-bit) image"
awk '/^Characteristics/ { t = 1; next } t && /^[[:space:]]/ { print; next } { t = 0 }' "$dump" |
  grep -qx '[[:space:]]*DLL' || fail "not a DLL"
x87=$("$(dirname "$0")/find-x87.sh" "$objdump" "$f" | head -5)
[ -z "$x87" ] || fail "x87 arithmetic instructions:
$x87"

# Exports: one table named after the file, ordinal base 1, one address, one name.
[ "$(grep -c '^Name[[:space:]].* '"$name"'$' "$dump")" -ge 1 ] || fail "export table not named $name"
got=$(awk '{ gsub(/\[ +/, "[") }
           /^Ordinal Base/ { print "base", $3 }
           /^[[:space:]]*Export Address Table[[:space:]]+[0-9a-f]+$/ && !seen++ { print "addresses", $4 }
           /^[[:space:]]*\[Name Pointer\/Ordinal\] Table[[:space:]]+[0-9a-f]+$/ { print "names", $4 }
           /^Export Address Table --/ { e = 1; next } e && NF == 0 { e = 0 }
           e { print "address", $1, $2 }
           /^\[Ordinal\/Name Pointer\] Table/ { n = 1; next } n && NF == 0 { n = 0 }
           n { print "name", $1, $2 }' "$dump")
want=$(printf '%s\n' 'base 1' 'addresses 00000001' 'names 00000001' 'address [0] +base[1]' \
  'name [0] _mexFunction')
if [ "$got" != "$want" ]; then
  echo "$f: export table differs" >&2
  echo "expected:" >&2; echo "$want" >&2
  echo "got:" >&2; echo "$got" >&2
  exit 1
fi

# Imports: the DLLs, and what is taken from the host's two.
dlls=$(awk '/^[[:space:]]*DLL Name:/ { print $3 }' "$dump" | sort)
for d in $dlls; do
  case $d in
    libmx.dll | libmex.dll | KERNEL32.dll | msvcrt.dll) ;;
    *) fail "imports $d: only libmx.dll, libmex.dll, KERNEL32.dll and msvcrt.dll may be imported" ;;
  esac
done
for d in libmx.dll libmex.dll; do
  echo "$dlls" | grep -qx "$d" || fail "does not import $d"
done
imported() {
  awk -v dll="$1" '/DLL Name:/ { t = ($3 == dll); next }
                   t && /^[[:space:]]*[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[A-Za-z_]/ { print $3 }' "$dump"
}
bad=$(imported libmx.dll | grep -v '^mx[A-Z]' || true)
[ -z "$bad" ] || fail "imports from libmx.dll more than mx operations:" $bad
bad=$(imported libmex.dll | grep -v '^mex[A-Z]' || true)
[ -z "$bad" ] || fail "imports from libmex.dll more than mex operations:" $bad
echo "$f: PE32 i386 DLL, SSE2 arithmetic, exports _mexFunction at ordinal 1 only; imports" $dlls
