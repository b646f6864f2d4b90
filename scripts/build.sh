#!/usr/bin/env bash
# Configures (once) and builds the native and the Windows build incrementally.
# With --program, only Quillpad.exe is built.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$QP_ROOT/scripts/deps.sh"
[ -f "$QP_BUILD/native/CMakeCache.txt" ] ||
    cmake -S "$QP_ROOT" -B "$QP_BUILD/native" -G Ninja >/dev/null
[ -f "$QP_BUILD/win32/CMakeCache.txt" ] ||
    cmake -S "$QP_ROOT" -B "$QP_BUILD/win32" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$QP_ROOT/cmake/mingw-i686.cmake" >/dev/null
if [ "${1:-}" = --program ]; then
    cmake --build "$QP_BUILD/win32" --target Quillpad -- -j2
    exit 0
fi
cmake --build "$QP_BUILD/native" -- -j2
cmake --build "$QP_BUILD/win32" -- -j2
# One CTest run over both builds.
printf 'subdirs("native")\nsubdirs("win32")\n' > "$QP_BUILD/CTestTestfile.cmake"
