#!/usr/bin/env bash
# Another program replaces the data file, then "終了(&X)": the save keeps its
# version and the program tells it before it ends. At the end of the session
# the same save leaves it for the next start to tell.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
theirs() { rm -f Quillpad.dat && printf '%s\r\n' "$1" > Quillpad.dat; }
start_quillpad "$1"
choose_from_tray_menu a
wait_for 10 has_memo || fail "no memo added"
sleep 1  # the tray menu takes the next right click once the new memo is up
theirs first
choose_from_tray_menu x
wait_for 10 question_box || fail "no notice of the other version before the end"
grep -q first backup/Quillpad-*-kept.dat || fail "the other version is not in backup"
answer_box ok
wait_exit
restart_quillpad
theirs second
wineboot --end-session
wait_for 15 bash -c "! kill -0 $QP_PID 2>/dev/null" || fail "the program outlived the session"
! question_box || fail "a box at the end of the session"
grep -q second backup/Quillpad-*-kept.dat || fail "the other version is not in backup"
restart_quillpad
wait_for 10 question_box || fail "the next start did not tell the other version"
answer_box ok
exit_quillpad
! ls backup/*.untold 2>/dev/null || fail "a version is still marked as untold"
echo "the other program's version was told before the end, and after the end of the session at the next start"
