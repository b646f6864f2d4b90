#!/usr/bin/env bash
# Nothing stranded, nothing dropped, with real input: a drag cancelled with
# Escape does not throw the next drag off the screen; a move reaches the data
# file when the drag ends, without an exit; typing in edit mode survives
# "終了(&X)".
set -euo pipefail
source "$(dirname "$0")/lib.sh"

QP_WORK=$(mktemp -d)
cd "$QP_WORK"
# One memo near the left screen edge, within the snap width of it.
printf '%s\r\n' "[MEMO_TAB_START]" RECT_LEFT-15 RECT_TOP-300 RECT_RIGHT-315 RECT_BOTTOM-450 \
    MEMO_SELECT_INDEX-0 CAPTION-near "[MEMO_START]" MEMO_TAB_TITLE-t text "[MEMO_END]" "[MEMO_TAB_END]" > Quillpad.dat
QP_EXE=$(realpath "$1")
restart_quillpad
wait_for 10 has_memo || fail "the stored memo is not shown"
memo=$(memo_windows)
left() { memo_geometry "$memo"; echo "$X"; }
[ "$(left)" -eq 15 ] || fail "the memo starts at $(left), not 15"

# drag DX [ESCAPE]: grabs the memo's body and moves the pointer DX pixels to the right.
drag() {
    memo_geometry "$memo"
    local x=$((X + 150)) y=$((Y + 60)) dx
    xdotool mousemove "$x" "$y" mousedown 1 sleep 0.3
    for dx in $(seq 10 10 "$1") "$1"; do xdotool mousemove $((x + dx)) "$y"; sleep 0.05; done
    sleep 0.2
    [ "${2:-}" = escape ] && xdotool key Escape && sleep 0.3
    xdotool mouseup 1
    sleep 0.5
}
drag 200 escape
[ "$(left)" -eq 15 ] || fail "Escape left the memo at $(left), not back at 15"
drag 3
[ "$(left)" -eq 0 ] || fail "a 3-pixel drag after the cancelled one put the memo at $(left), not docked at 0"
grep -q $'^RECT_LEFT-0\r$' Quillpad.dat || fail "the move did not reach the data file: $(grep RECT_LEFT Quillpad.dat)"

memo_geometry "$memo"
xdotool mousemove $((X + 150)) $((Y + 60)) click --repeat 2 --delay 80 1
sleep 0.5
xdotool type --delay 30 "kept at exit"
exit_quillpad
grep -q "kept at exit" Quillpad.dat || fail "typing in edit mode was dropped at the exit"
echo "cancelled drag, move saved, typing kept at exit"
