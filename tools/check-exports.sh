#!/bin/sh
# Fails unless the Linux module $1 exports exactly mexFunction and mexVersion, both at the symbol
# version MEX, defines that version, and has no soname.
set -eu
f=$1
# Defined global symbols; the absolute symbol MEX is the linker's name for the version node.
got=$(readelf --dyn-syms -W "$f" |
  awk '($5 == "GLOBAL" || $5 == "WEAK" || $5 == "GNU_UNIQUE") && $7 != "UND" && !($7 == "ABS" && $8 == "MEX") { print $8 }' |
  sort)
want=$(printf '%s\n' 'mexFunction@@MEX' 'mexVersion@@MEX')
if [ "$got" != "$want" ]; then
  echo "$f: exported symbols differ" >&2
  echo "expected:" >&2; printf '%s\n' "$want" >&2
  echo "got:" >&2; printf '%s\n' "$got" >&2
  exit 1
fi
if ! readelf -V -W "$f" | grep -q 'Name: MEX'; then
  echo "$f: no version definition MEX" >&2
  exit 1
fi
if readelf -d -W "$f" | grep -q SONAME; then
  echo "$f: has a soname" >&2
  exit 1
fi
echo "$f: exports mexFunction@@MEX mexVersion@@MEX only, no soname"
