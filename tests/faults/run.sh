#!/usr/bin/env bash
# The kill test run by hand, as long as wanted, in a Wine prefix and on a
# virtual display of its own (the test run kills 20 times):
#
#   tests/faults/run.sh KILLS [SEED] [MEMOS]
set -euo pipefail
source "$(dirname "$0")/../../scripts/env.sh"
[ $# -ge 1 ] || { echo "usage: $0 KILLS [SEED] [MEMOS]" >&2; exit 2; }
"$QP_ROOT/scripts/build.sh" >/dev/null

qp_wine_session "$QP_BUILD/kill-test"
bash "$QP_ROOT/tests/faults/kill_test.sh" "$QP_BUILD/win32/app/Quillpad.exe" \
    "$QP_BUILD/win32/tests/faults/kill_driver.exe" "$@"
