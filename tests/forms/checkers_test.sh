#!/bin/sh
# The form checkers against small modules built right or wrong on purpose: each wrong build must
# be refused with its own reason, and the right one accepted.
#   tests/forms/checkers_test.sh LINUX32_BUILD WIN32_BUILD
# The two build folders supply the 32-bit host libraries (libmx.so, libmex.so) and the Windows
# import libraries (libmx.dll.a, libmex.dll.a) that the fixtures link against.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
linux32=$1
win32=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src=$root/tests/forms/fixture.cpp
inc="-I$root/hostlayer/include"
passed=0
failed=0

# expect NAME CHECKER FILE TEXT: the checker refuses FILE with a message holding TEXT, or accepts
# it when TEXT is "accepted".
expect() {
  name=$1 checker=$2 file=$3 text=$4
  out=$("$root/tools/$checker" "$file" 2>&1)
  rc=$?
  if [ "$text" = accepted ]; then
    [ $rc -eq 0 ] && ok=1 || ok=0
  else
    [ $rc -ne 0 ] && echo "$out" | grep -qF -- "$text" && ok=1 || ok=0
  fi
  if [ $ok -eq 1 ]; then
    passed=$((passed + 1))
    echo "ok   $name"
  else
    failed=$((failed + 1))
    echo "FAIL $name: expected '$text', exit $rc:"
    echo "$out" | sed 's/^/     /'
  fi
}

# 32-bit Linux: g++ -m32 with the flags and libraries of the real build, one thing changed.
glx() {
  out=$work/$1.mexglx
  shift
  g++ -m32 -std=c++17 -O2 -fPIC -shared -ffp-contract=off -DHOSTLAYER_INDEX_INT32 $inc -o "$out" \
    "$src" "$root/common/mexversion.cpp" "$@" -L"$linux32" -lmx -lmex || echo "build failed: $out"
}
map="-Wl,--version-script=$root/common/mex.map"
sse="-msse2 -mfpmath=sse"
glx good $sse $map
glx x87 -mfpmath=387 $map
glx noscript $sse
glx soname $sse $map -Wl,-soname,good.mexglx
g++ -m64 -std=c++17 -O2 -fPIC -shared -DHOSTLAYER_INDEX_INT32 $inc -o "$work/wide.mexglx" "$src" \
  "$root/common/mexversion.cpp" $map -Wl,--unresolved-symbols=ignore-all
expect "mexglx built as delivered" check-mexglx.sh "$work/good.mexglx" accepted
expect "mexglx with x87 arithmetic" check-mexglx.sh "$work/x87.mexglx" "x87 arithmetic"
expect "mexglx without the version script" check-mexglx.sh "$work/noscript.mexglx" \
  "exported symbols differ"
expect "mexglx with a soname" check-mexglx.sh "$work/soname.mexglx" "has a soname"
expect "mexglx built for x86-64" check-mexglx.sh "$work/wide.mexglx" "not ELF32"

# 32-bit Windows: MinGW with the flags of the real build, one thing changed.
cxx=i686-w64-mingw32-g++-posix
w32() {
  out=$work/$1.mexw32
  shift
  $cxx -std=c++17 -O2 -shared -DHOSTLAYER_INDEX_INT32 $inc -o "$out" "$src" "$@" \
    "$win32/libmx.dll.a" "$win32/libmex.dll.a" || echo "build failed: $out"
}
static="$sse -static-libgcc -static-libstdc++"
printf 'EXPORTS\n  mexFunction @1\n' >"$work/plain.def"
printf 'EXPORTS\n  _mexFunction = mexFunction @2\n' >"$work/second.def"
printf 'LIBRARY other.mexw32\nEXPORTS\n  _mexFunction = mexFunction @1\n' >"$work/named.def"
w32 good $static "$root/common/mexw32.def"
w32 autoexport $static
w32 plain $static "$work/plain.def"
w32 second $static "$work/second.def"
w32 named $static "$work/named.def"
w32 sharedgcc $sse -shared-libgcc "$root/common/mexw32.def"
w32 x87 -mfpmath=387 -static-libgcc -static-libstdc++ "$root/common/mexw32.def"
w32 layer $static -DFIXTURE_EXTRA_IMPORT "$root/common/mexw32.def"
expect "mexw32 built as delivered" check-mexw32.sh "$work/good.mexw32" accepted
expect "mexw32 exporting everything" check-mexw32.sh "$work/autoexport.mexw32" \
  "export table differs"
expect "mexw32 exporting the undecorated name" check-mexw32.sh "$work/plain.mexw32" \
  "export table differs"
expect "mexw32 exporting at ordinal 2" check-mexw32.sh "$work/second.mexw32" "export table differs"
expect "mexw32 whose export table has another name" check-mexw32.sh "$work/named.mexw32" \
  "export table not named named.mexw32"
expect "mexw32 importing the shared libgcc" check-mexw32.sh "$work/sharedgcc.mexw32" \
  "imports libgcc_s_dw2-1.dll"
expect "mexw32 importing a host-layer test function" check-mexw32.sh "$work/layer.mexw32" \
  "imports from libmx.dll more than mx operations"
expect "mexw32 with x87 arithmetic" check-mexw32.sh "$work/x87.mexw32" "x87 arithmetic"
expect "x86-64 ELF offered as mexw32" check-mexw32.sh "$work/wide.mexglx" "not an i386 PE image"

echo "checkers: $passed passed, $failed failed"
[ $failed -eq 0 ]
