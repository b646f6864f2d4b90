#!/bin/sh
# delayload.sh NM DLLTOOL IMPORT_LIBRARY DLL OUTPUT: an import library for DLL
# with every function of MinGW's IMPORT_LIBRARY, whose functions bind the DLL
# at their first call instead of at start.
set -e
cd "$(dirname "$5")"
# dlltool names the library's symbols after the output path as given: a plain
# file name keeps them from being mangled apart.
output=$(basename "$5")
{
    echo "LIBRARY $4"
    echo EXPORTS
    "$1" "$3" | sed -n 's/^.* I __imp__\(.*\)$/\1/p' | sort -u
} > "$output.def"
"$2" --input-def "$output.def" --output-delaylib "$output" --dllname "$4" --kill-at
