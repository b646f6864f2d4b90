#!/usr/bin/env bash
# The data folder disappears (a drive removed) and the user chooses "終了(&X)":
# the box names why and offers a rescue file; "はい" keeps the notes there and
# ends. The next start says where it is. The end of the session does the
# same without asking.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
start_quillpad "$1"
choose_from_tray_menu a
wait_for 10 has_memo || fail "no memo added"
since=$(mktemp); sleep 1
work=$QP_WORK; cd /; rm -rf "$work"
choose_from_tray_menu x
wait_for 10 question_box || fail "no box when the data file cannot be written"
kill -0 "$QP_PID" 2>/dev/null || fail "the program ended without asking"
answer_box yes
wait_exit
rescued=$(find "$WINEPREFIX/drive_c/users" "$HOME" -name 'Quillpad-rescue-*.dat' -newer "$since" 2>/dev/null | head -1)
[ -n "$rescued" ] || fail "no rescue file in the documents or temporary folder"
iconv -f CP932 -t UTF-8 "$rescued" | grep -q ダブルクリックで編集 || fail "the rescue file lacks the memo: $(cat "$rescued")"
mkdir -p "$work"; cd "$work"
restart_quillpad
wait_for 10 question_box || fail "the next start did not tell the rescue file"
answer_box ok
[ ! -e Quillpad.dat ] || fail "the data file was written although nothing changed"
choose_from_tray_menu a
wait_for 10 has_memo || fail "no memo added"
cd /; rm -rf "$work"; touch "$since"; sleep 1
wineboot --end-session
wait_for 15 bash -c "! kill -0 $QP_PID 2>/dev/null" || fail "the program outlived the session"
ended=$(find "$WINEPREFIX/drive_c/users" "$HOME" -name 'Quillpad-rescue-*.dat' -newer "$since" 2>/dev/null | head -1)
[ -n "$ended" ] || fail "no rescue file at the end of the session"
rm -f "$rescued" "$ended" "$since" "$(dirname "$ended")"/Quillpad-rescue*.untold
echo "the notes went to $rescued at 終了(&X) and to $ended at the end of the session"
