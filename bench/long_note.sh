#!/usr/bin/env bash
# Builds the long-note benchmark (Windows build) and runs it under Wine on a
# virtual display of its own.
set -euo pipefail
source "$(dirname "$0")/../scripts/env.sh"
"$QP_ROOT/scripts/build.sh" --program
cmake --build "$QP_BUILD/win32" --target long_note_bench -- -j2
qp_wine_session "$QP_BUILD/long-note-bench"
wine "$QP_BUILD/win32/bench/long_note_bench.exe"
