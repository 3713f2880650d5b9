#!/bin/sh
# Prints the x87 arithmetic, comparison and conversion instructions in the code of the 32-bit x86
# binary $2, disassembled with the objdump $1, with the function each stands in. Loads and stores
# (fld, fstp) are left out: the 32-bit calling conventions return doubles in st(0). Tables of
# constructors that the linker places in the code section are data, not code, and are skipped.
set -eu
"$1" -d -j .text -M intel --no-show-raw-insn "$2" |
  awk '/^[0-9a-f]+ <.*>:$/ { fn = $2; skip = fn ~ /ctors|dtors|CTOR_LIST|DTOR_LIST/; next }
       !skip && $2 ~ /^(fadd|faddp|fiadd|fsub|fsubp|fsubr|fsubrp|fisub|fisubr|fmul|fmulp|fimul|fdiv|fdivp|fdivr|fdivrp|fidiv|fidivr|fsqrt|fprem|fprem1|frndint|fscale|fcom|fcomp|fcompp|fcomi|fcomip|fucom|fucomp|fucompp|fucomi|fucomip|fild|fist|fistp|fisttp|fabs|fchs)$/ {
         print fn, $0
       }'
