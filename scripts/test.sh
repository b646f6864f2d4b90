#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the fuzzers briefly,
# and the window tests under Wine on a virtual display in a fresh Wine prefix.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$QP_ROOT/scripts/build.sh"

qp_wine_env
export WINEPREFIX=$QP_BUILD/test/wineprefix
rm -rf "$QP_BUILD/test"
mkdir -p "$QP_BUILD/test"
unset DISPLAY
qp_virtual_display
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "${QP_XVFB_PID:-}" ] && kill "$QP_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
qp_prefix
wineserver -p 600  # keep the server up between test programs
# Wine's system processes (services, plugplay, rpcss ...) stay up with the
# server; start them now, away from the pipes CTest reads test output from,
# or CTest waits for them until the server ends.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

cd "$QP_BUILD"
ctest --output-on-failure -j2 "$@"
