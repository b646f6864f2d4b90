#!/usr/bin/env bash
# The long random session by hand: monkey.sh [OPTION...] [SECONDS [SEED]]
# builds Quillpad.exe and drives it with random real input for SECONDS (by
# default 30 minutes), saves failing meanwhile unless --no-faults, on a
# virtual display of its own (options: see tests/e2e/monkey.sh). The test run
# has a 60-second form.
set -euo pipefail
source "$(dirname "$0")/env.sh"
options=()
while [ "${1:-}" != "${1#--}" ]; do options+=("$1"); shift; done
"$QP_ROOT/scripts/build.sh" --program
cmake --build "$QP_BUILD/win32" --target monkey_hands -- -j2
# A session folder of its own: two runs may go on at the same time. Its
# Wine prefix (about 600 MB) goes at the end; the session's log is elsewhere.
qp_wine_session "$QP_BUILD/monkey/$$"
trap 'qp_wine_session_end; rm -rf "$QP_BUILD/monkey/$$"' EXIT
bash "$QP_ROOT/tests/e2e/monkey.sh" "${options[@]}" "$QP_BUILD/win32/app/Quillpad.exe" \
    "$QP_BUILD/win32/tests/e2e/monkey_hands.exe" "${1:-1800}" ${2:+"$2"}
