#!/usr/bin/env bash
# A user's first memo, with real input: add it from the tray, exit and find it
# stored; start again, edit it (Tab and Enter in the text), collapse and
# expand it, open its menu, drag it, fix it, exit, start again: all is back.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

start_quillpad "$1"
find_tray_icon
xdotool mousemove "$TRAY_X" "$TRAY_Y" click --repeat 2 --delay 80 1
wait_for 10 has_memo || fail "no memo after a double-click on the tray icon"
exit_quillpad
printf '%s\r\n' "[MEMO_TAB_START]" RECT_TOP-309 RECT_LEFT-362 RECT_BOTTOM-459 RECT_RIGHT-662 \
    BACK_CAPTION_COLOR-11162880 TEXT_CAPTION_COLOR-16777215 BACK_MEMO_COLOR-11795960 TEXT_MEMO_COLOR-0 \
    MEMO_SELECT_INDEX-0 CAPTION-新規メモ NOT_SHOW_TAB_FLAG-0 WORDWRAP_FLAG-0 COMPACT_FLAG-0 NON_MOVE_FLAG-0 \
    "[MEMO_START]" MEMO_TAB_TITLE-新規タブ ダブルクリックで編集 "[MEMO_END]" "[MEMO_TAB_END]" |
    iconv -f UTF-8 -t CP932 > expected.dat
LC_ALL=C grep -aq '^MEMO_ID-[0-9a-f]\{16\} t[0-9a-f]\{8\}=' Quillpad.dat || fail "a new memo has no identity: $(cat -A Quillpad.dat)"
LC_ALL=C grep -av '^MEMO_ID-' Quillpad.dat | cmp -s - expected.dat || fail "the data file of a new memo: $(cat -A Quillpad.dat)"

restart_quillpad
wait_for 10 has_memo || fail "the memo was not restored"
memo=$(memo_windows)
memo_geometry "$memo"
left=$X; top=$Y; width=$WIDTH; height=$HEIGHT
body_x=$((left + width / 2)); body_y=$((top + height / 2))

# Edit: the whole text is selected, so typing replaces it.
xdotool mousemove "$body_x" "$body_y" click --repeat 2 --delay 80 1
sleep 0.5
xdotool type --delay 30 "Hello"
xdotool key Tab
xdotool type "x"
xdotool key Return
xdotool type "y"
# "OK" stands left of "×" in the bottom row.
xdotool mousemove $((left + width - 40)) $((top + height - 8)) click 1
wait_for 5 grep -q $'^Hello\tx\r$' Quillpad.dat || fail "the committed text is not in the data file"
grep -q $'^y\r$' Quillpad.dat || fail "the line after Enter is not in the data file"

# A double-click on the caption strip collapses the memo to it, another expands it.
xdotool mousemove "$body_x" $((top + 4)) click --repeat 2 --delay 80 1
memo_height() { memo_geometry "$memo"; echo "$HEIGHT"; }
collapsed() { [ "$(memo_height)" -lt 30 ]; }
expanded() { [ "$(memo_height)" -eq "$height" ]; }
wait_for 5 collapsed || fail "the memo did not collapse: height $(memo_height)"
xdotool mousemove "$body_x" $((top + 4)) click --repeat 2 --delay 80 1
wait_for 5 expanded || fail "the memo did not expand to $height: $(memo_height)"

# The memo menu opens at a right click; a click elsewhere closes it.
open_menu "$body_x" "$body_y"
[ "$HEIGHT" -gt 50 ] || fail "memo menu of $HEIGHT pixels"
xdotool mousemove 1000 700 click 1
sleep 0.3

# A drag by the body moves the memo.
drag() {
    xdotool mousemove "$1" "$2" mousedown 1
    for step in 1 2 3 4 5; do xdotool mousemove $(($1 + step * 6)) $(($2 + step * 4)); sleep 0.05; done
    xdotool mouseup 1
    sleep 0.3
}
drag "$body_x" "$body_y"
memo_geometry "$memo"
[ "$X" -eq $((left + 30)) ] && [ "$Y" -eq $((top + 20)) ] || fail "dragged to $X,$Y instead of $((left + 30)),$((top + 20))"
left=$X; top=$Y

# "位置固定(&N)", the last item under "プロパティ(&O)": the memo no longer moves.
open_menu $((left + 100)) $((top + 50))
last_item
open_menu "$LAST_X" "$LAST_Y" 1
last_item
xdotool mousemove "$LAST_X" "$LAST_Y" click 1
sleep 0.3
drag $((left + 100)) $((top + 50))
memo_geometry "$memo"
[ "$X" -eq "$left" ] && [ "$Y" -eq "$top" ] || fail "a fixed memo moved to $X,$Y"

exit_quillpad
cp Quillpad.dat stored.dat
restart_quillpad
wait_for 10 has_memo || fail "the memo was not restored"
memo_geometry "$(memo_windows)"
[ "$X,$Y,$WIDTH,$HEIGHT" = "$left,$top,$width,$height" ] || fail "restored at $X,$Y,$WIDTH,$HEIGHT"
grep -q $'^NON_MOVE_FLAG-1\r$' Quillpad.dat || fail "the fixed flag was not kept"
exit_quillpad
cmp -s Quillpad.dat stored.dat || fail "a start and an exit changed the data file"
echo "memo added, stored, edited, collapsed, moved, fixed and restored"
