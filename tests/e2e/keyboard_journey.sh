#!/usr/bin/env bash
# Memos by keyboard alone: Shift+F2, F2, Tab, Ctrl+Tab, Ctrl+Shift+Tab, Enter, Ctrl+Enter, Ctrl+F6; the active memo is framed.
# Tabs by Ctrl+Tab, Ctrl+Shift+Tab and Ctrl+Page Down / Page Up, in view and edit mode; Ctrl+A in the editor.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
data=$(mktemp -d)
for memo in "100 400 low" "600 100 right" "100 100 left"; do
    read -r x y caption <<< "$memo"
    printf '%s\r\n' "[MEMO_TAB_START]" "RECT_TOP-$y" "RECT_LEFT-$x" "RECT_BOTTOM-$((y + 150))" "RECT_RIGHT-$((x + 300))" \
        BACK_CAPTION_COLOR-11162880 TEXT_CAPTION_COLOR-16777215 "CAPTION-$caption" "[MEMO_START]" MEMO_TAB_TITLE-t text \
        "[MEMO_END]" >> "$data/Quillpad.dat"
    [ "$caption" = left ] && printf '%s\r\n' "[MEMO_START]" MEMO_TAB_TITLE-t1 one "[MEMO_END]" "[MEMO_START]" \
        MEMO_TAB_TITLE-t2 two "[MEMO_END]" >> "$data/Quillpad.dat"
    printf '%s\r\n' "[MEMO_TAB_END]" >> "$data/Quillpad.dat"
done
start_quillpad "$1" "$data"
all_shown() { [ "$(memo_windows | wc -l)" -eq 3 ]; }  # the last one shown is the last activated at start
wait_for 10 all_shown || fail "not every memo was shown"
read -r low right left <<< "$(memo_windows | xargs)"
# framed WINDOW: the frame in its caption strip is white, the caption text's colour, from end to end.
framed() { [ "$(xwd -id "$1" -silent | convert xwd:- -crop 200x1+50+4 txt:- | grep -c '#FFFFFF')" -eq 200 ]; }
only_framed() { for w in $low $right $left; do if [ "$w" = "$1" ]; then framed "$w"; else ! framed "$w"; fi || return 1; done; }
memo_geometry "$low"
xdotool mousemove $((X + 150)) $((Y + 80)) click 1 sleep 0.3 key shift+F2
wait_for 5 only_framed "$low" || fail "Shift+F2 did not leave the memo clicked last active"
xdotool key F2 type typed; xdotool key Tab type x; xdotool key ctrl+Tab type Cap; xdotool key ctrl+shift+Tab type y
xdotool key ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Return Return End type z; xdotool key ctrl+Return  # to "OK", keep; edit again
wait_for 5 grep -q $'^typed\txyz\r$' Quillpad.dat || fail "F2, Ctrl+Tab there and back, Enter and Ctrl+Enter kept no text"
grep -q $'^CAPTION-Cap\r$' Quillpad.dat || fail "the caption typed after Ctrl+Tab was not kept"
for step in "ctrl+F6 $left" "ctrl+F6 $right" "ctrl+shift+F6 $left"; do
    xdotool key "${step% *}"; wait_for 5 only_framed "${step#* }" || fail "${step% *} did not go to the memo by place"
done
# On "left", of three tabs: 1, 2, round to 0, round to 2, 1; edit it, keep it and edit 2, all of it replaced.
xdotool key ctrl+Tab ctrl+Tab ctrl+Next ctrl+Prior ctrl+shift+Tab F2; xdotool type first
xdotool key ctrl+Next; xdotool type second; xdotool key ctrl+a; xdotool type last; xdotool key ctrl+Return
middle_kept() { grep -a -A1 $'^MEMO_TAB_TITLE-t1\r$' Quillpad.dat | grep -q $'^first\r$'; }
wait_for 5 middle_kept || fail "the tab keys in view mode did not reach the middle tab"
wait_for 5 grep -q $'^last\r$' Quillpad.dat || fail "Ctrl+Page Down in edit mode or Ctrl+A did not edit all of the next tab"
exit_quillpad
