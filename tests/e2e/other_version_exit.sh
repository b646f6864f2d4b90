#!/usr/bin/env bash
# Another program replaces the data file, then "終了(&X)": the save keeps its
# version and the program tells it before it ends. A process ended while
# that box is up (as at the end of the session) leaves it for the next start.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
start_quillpad "$1"
choose_from_tray_menu a
wait_for 10 has_memo || fail "no memo added"
rm -f Quillpad.dat && printf 'theirs\r\n' > Quillpad.dat
choose_from_tray_menu x
wait_for 10 question_box || fail "no notice of the other version before the end"
kill -0 "$QP_PID" 2>/dev/null || fail "the program ended before it told the other version"
grep -q theirs backup/Quillpad-*-kept.dat || fail "the other version is not in backup"
kill -9 "$QP_PID"; wait "$QP_PID" 2>/dev/null || true
restart_quillpad
wait_for 10 question_box || fail "the next start did not tell the other version"
answer_box ok
exit_quillpad
! ls backup/*.untold 2>/dev/null || fail "the version is still marked as untold"
echo "the other program's version was told before the end, and again at the next start after a kill"
