#!/bin/sh
# Gathers every delivered form built here into one folder, checks each copy with its checker and
# writes MANIFEST.md: each file, its platform, its size and SHA-256, and what was checked.
#   tools/make-dist.sh DIST RELEASE_BUILD OCTAVE_DIR LINUX32_BUILD WIN32_BUILD "MODULES"
# Run by `make dist` after the test suites of every form have passed; fails when a form that
# should exist for a module is missing or its checker refuses the copy.
set -eu
dist=$1
release=$2
octave=$3
linux32=$4
win32=$5
modules=$6
tools=$(cd "$(dirname "$0")" && pwd)
glx_modules="boxreach pathpeak sidescale"

rm -rf "$dist"
mkdir -p "$dist"
rows=$(mktemp)
trap 'rm -f "$rows"' EXIT

suite() { # the closing line of a suite's run, recorded by make in the build folder
  if [ -f "$1" ]; then cat "$1"; else echo "not run"; fi
}
s_release="the gateway and kernel tests in three index widths, the export check and the loaded-module test (\`make test-cxx\`, ctest in $release) passed"
s_octave="the Octave suite (\`make test-octave\`) passed with these files"
s_linux32="$(suite "$linux32/forms-suite.txt")"
s_win32="$(suite "$win32/forms-suite.txt")"

# add FILE SOURCE PLATFORM CHECKER SUITE: copies SOURCE to the folder, checks the copy, adds a row.
add() {
  file=$1 source=$2 platform=$3 checker=$4 suite=$5
  [ -f "$source" ] || { echo "make-dist: $source is missing" >&2; exit 1; }
  cp "$source" "$dist/$file"
  check=$("$tools/$checker" "$dist/$file" | sed "s|^$dist/$file: ||")
  size=$(wc -c <"$dist/$file" | tr -d ' ')
  sum=$(sha256sum "$dist/$file" | cut -c1-64)
  printf '| `%s` | %s | %s | `%s` | %s (`tools/%s`); %s |\n' \
    "$file" "$platform" "$size" "$sum" "$check" "$checker" "$suite" >>"$rows"
}

for m in $modules; do
  add "$m.mexa64" "$release/mexa64/$m.mexa64" "Linux x86-64, current MATLAB" check-exports.sh \
    "$s_release"
  add "$m.mex" "$octave/$m.mex" "Linux x86-64, GNU Octave $(octave-cli --version | sed -n '1s/.*version //p')" \
    check-exports.sh "$s_octave"
  case " $glx_modules " in
    *" $m "*)
      add "$m.mexglx" "$linux32/mexglx/$m.mexglx" "Linux 32-bit x86" check-mexglx.sh "$s_linux32"
      ;;
  esac
  add "$m.mexw32" "$win32/mexw32/$m.mexw32" "Windows 32-bit x86" check-mexw32.sh "$s_win32"
done

commit=$(git -C "$tools/.." describe --always --dirty 2>/dev/null || echo unknown)
{
  echo "# pixelgraph: the delivered forms"
  echo
  echo "Built from commit \`$commit\` on $(date -u '+%Y-%m-%d %H:%M UTC') by \`make dist\`"
  echo "(or \`make test-forms\`). Every check named below passed when this folder was written: the"
  echo "folder is written only after every suite it names has passed, and each copy is checked"
  echo "again here. How each form is built and what its checks mean: docs/forms.md."
  echo
  echo "| file | platform | bytes | SHA-256 | checked |"
  echo "|---|---|---|---|---|"
  cat "$rows"
  echo
  echo "Not built here: the Mac OS X bundle on PowerPC of \`boxreach\`, \`pathpeak\` and"
  echo "\`sidescale\` (no toolchain for it on this machine). docs/forms.md gives its build;"
  echo "it is untested."
} >"$dist/MANIFEST.md"
echo "make-dist: $(grep -c '^| `' "$dist/MANIFEST.md") files in $dist, listed in $dist/MANIFEST.md"
