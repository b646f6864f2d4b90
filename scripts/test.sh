#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the fuzzers briefly,
# and the window tests under Wine on a virtual display in a fresh Wine prefix.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$QP_ROOT/scripts/build.sh"

qp_wine_session "$QP_BUILD/test"

cd "$QP_BUILD"
ctest --output-on-failure -j2 "$@"
