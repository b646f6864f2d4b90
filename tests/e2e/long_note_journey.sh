#!/usr/bin/env bash
# Reading a long note with real input: a wrapped memo of 200 lines scrolls
# with the wheel and the keys (its text area's screen shots differ, and Home
# brings back the first); another tab and back, and edit mode left with
# Escape, keep the place; a drag on the text still moves the memo.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

data=$(mktemp -d)
{
    printf '%s\r\n' "[MEMO_TAB_START]" RECT_TOP-100 RECT_LEFT-100 RECT_BOTTOM-300 RECT_RIGHT-400 \
        BACK_CAPTION_COLOR-11162880 TEXT_CAPTION_COLOR-16777215 BACK_MEMO_COLOR-11795960 TEXT_MEMO_COLOR-0 \
        MEMO_SELECT_INDEX-0 CAPTION-長いメモ WORDWRAP_FLAG-1 "[MEMO_START]" MEMO_TAB_TITLE-長い
    for i in $(seq 200); do printf '%03d\t行 %d: 長いメモを読む long notes can be read\r\n' "$i" "$i"; done
    printf '%s\r\n' "[MEMO_END]" "[MEMO_START]" MEMO_TAB_TITLE-短い short "[MEMO_END]" "[MEMO_TAB_END]"
} | iconv -f UTF-8 -t CP932 > "$data/Quillpad.dat"
start_quillpad "$1" "$data"
wait_for 10 has_memo || fail "the memo was not restored"
memo=$(memo_windows)
memo_geometry "$memo"
text_x=$((X + 100)); text_y=$((Y + 80))

# shot NAME: the text area, below the caption strip and above the tabs, with its bar.
shot() { sleep 0.4; xwd -id "$memo" -silent | convert xwd:- -crop 290x140+2+20 +repage "$data/$1.png"; }
same() { [ "$(compare -metric AE "$data/$1.png" "$data/$2.png" null: 2>&1)" = 0 ]; }

xdotool mousemove "$text_x" "$text_y" click 1  # the memo becomes the active window
shot top
xdotool click 5
shot wheel
! same top wheel || fail "the wheel did not scroll"
xdotool key Next Down
shot keys
! same wheel keys || fail "Page Down and Down did not scroll"
xdotool key Home
shot home
same top home || fail "Home did not bring back the start"

xdotool key Next
shot read
xdotool mousemove $((X + 83)) $((Y + HEIGHT - 12)) click 1 sleep 0.3 mousemove $((X + 30)) $((Y + HEIGHT - 12)) click 1
shot back
same read back || fail "another tab and back lost the place"
xdotool mousemove "$text_x" "$text_y" click --repeat 2 --delay 80 1 sleep 0.5 key Escape
shot edited
same read edited || fail "edit mode left elsewhere than it began"

xdotool mousemove "$text_x" "$text_y" mousedown 1
for step in 1 2 3 4 5; do xdotool mousemove $((text_x + step * 6)) $((text_y + step * 4)); sleep 0.05; done
xdotool mouseup 1
sleep 0.3
left=$X
memo_geometry "$memo"
[ "$X" -eq $((left + 30)) ] || fail "a drag on the text moved the memo to $X instead of $((left + 30))"
exit_quillpad
echo "a long note scrolled with the wheel and the keys, kept its place and moved"
