#!/usr/bin/env bash
# Builds and runs the store benchmark (native build); extra arguments go to it.
set -euo pipefail
source "$(dirname "$0")/../scripts/env.sh"
[ -f "$QP_BUILD/native/CMakeCache.txt" ] || cmake -S "$QP_ROOT" -B "$QP_BUILD/native" -G Ninja >/dev/null
cmake --build "$QP_BUILD/native" --target store_bench -- -j2
"$QP_BUILD/native/bench/store_bench" "$@"
