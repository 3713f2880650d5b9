#!/bin/sh
# Prints every string literal of a module source, comments and preprocessor lines left out, as
# lines of a C++ initializer list: the texts the module can end a call with.
#   fuzz/collect-texts.sh modules/NAME.cpp > NAME_texts.inc
set -eu
sed -e 's|//.*$||' -e '/^[[:space:]]*#/d' -e 's/extern "C"//' "$1" | grep -o '"\([^"\\]\|\\.\)*"' | sed 's/$/,/' || true
