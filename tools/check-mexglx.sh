#!/bin/sh
# Fails unless the 32-bit Linux module $1 (NAME.mexglx) is an ELF32 x86 shared object that needs
# libmx.so and libmex.so, does its double arithmetic in SSE2 (no x87 arithmetic instruction),
# and passes the export check of every Linux module (tools/check-exports.sh).
set -eu
f=$1
fail() {
  echo "$f: $*" >&2
  exit 1
}
header=$(readelf -h -W "$f")
echo "$header" | grep -q 'Class:[[:space:]]*ELF32$' || fail "not ELF32"
echo "$header" | grep -q 'Machine:[[:space:]]*Intel 80386$' || fail "not 32-bit x86"
echo "$header" | grep -q 'Type:[[:space:]]*DYN' || fail "not a shared object"
needed=$(readelf -d -W "$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
for lib in libmx.so libmex.so; do
  echo "$needed" | grep -qx "$lib" || fail "does not need $lib"
done
x87=$("$(dirname "$0")/find-x87.sh" objdump "$f" | head -5)
[ -z "$x87" ] || fail "x87 arithmetic instructions:
$x87"
"$(dirname "$0")/check-exports.sh" "$f" >/dev/null
echo "$f: ELF32 x86, needs libmx.so and libmex.so, SSE2 arithmetic, exports mexFunction@@MEX mexVersion@@MEX only, no soname"
