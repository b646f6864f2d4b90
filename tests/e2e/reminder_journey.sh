#!/usr/bin/env bash
# A reminder set in "アラーム(&A)..." 3 seconds ahead on a memo behind another:
# its clock shows, and when due it comes to the front, flashes, and the tray
# balloon names it; a click offers the due menu, "5 分後に再通知(&5)" snoozes it.
# Ended while snoozed and started after its time, the program rings it once,
# late; a key in the memo offers the menu again and "d" is 完了.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
shots=${2:-}  # a folder for screenshots, or nothing
QP_EXE=$(realpath "$1")
QP_WORK=$(mktemp -d)
cd "$QP_WORK"
memo() {  # LEFT TOP BACK_MEMO_COLOR CAPTION TEXT
    printf '%s\r\n' "[MEMO_TAB_START]" "RECT_TOP-$2" "RECT_LEFT-$1" "RECT_BOTTOM-$(($2 + 150))" "RECT_RIGHT-$(($1 + 300))" \
        BACK_CAPTION_COLOR-11162880 TEXT_CAPTION_COLOR-16777215 "BACK_MEMO_COLOR-$3" TEXT_MEMO_COLOR-0 \
        "CAPTION-$4" "[MEMO_START]" MEMO_TAB_TITLE-t "$5" "[MEMO_END]" "[MEMO_TAB_END]"
}
{ memo 200 200 11795960 会議 "資料を10部印刷する"; memo 350 280 14737632 買い物 牛乳; } | iconv -t CP932 > Quillpad.dat
restart_quillpad
two_memos() { [ "$(memo_windows | wc -l)" -eq 2 ]; }
wait_for 10 two_memos || fail "the two memos are not shown"
read -r due other <<< "$(memo_windows | xargs)"

# pixel WINDOW X Y: the colour there in the window's own contents; on_screen X Y: on the screen.
pixel() { xwd -id "$1" -silent | convert xwd:- -crop "1x1+$2+$3" txt:- | grep -o '#[0-9A-F]\{6\}' | head -1; }
on_screen() { xwd -root -silent | convert xwd:- -crop "1x1+$1+$2" txt:- | grep -o '#[0-9A-F]\{6\}' | head -1; }
# The clock, white as the caption's text, at the strip's right end, inside the active memo's frame.
clock_shown() { [ "$(xwd -id "$due" -silent | convert xwd:- -crop "14x5+$((WIDTH - 22))+6" txt:- | grep -c '#FFFFFF')" -gt 3 ]; }
memo_geometry "$due"
clock_shown && fail "a clock before any reminder"

open_menu $((X + 50)) $((Y + 60))
last_item  # "プロパティ(&O)"; "アラーム(&A)..." just above it
xdotool mousemove "$LAST_X" $((LAST_Y - 17)) sleep 0.2 click 1
wait_window "アラーム"
dialog=$WINDOW
# Date and time typed field by field into the two pickers (175 by 65 units):
# the typing takes about 3 seconds, OK comes 3 to 5 seconds before the time.
digits() { echo "$1" | sed 's/./& /g'; }
read -r year month day hour minute second <<< "$(date -d @$(($(date +%s) + 8)) '+%Y %m %d %H %M %S')"
click_at "$dialog" 175 65 50 12
xdotool key $(digits "$year") Right $(digits "$month") Right $(digits "$day")
click_at "$dialog" 175 65 160 12
xdotool key Left Left $(digits "$hour") Right $(digits "$minute") Right $(digits "$second")
[ -n "$shots" ] && window_shot "$dialog" "$shots/reminder-dialog.png"
click_at "$dialog" 175 65 65 52  # OK
wait_for 5 gone "$dialog" || fail "the reminder dialog stayed open"
grep -q "^REMINDER-$year-$month-${day}T$hour:$minute:$second once"$'\r$' Quillpad.dat ||
    fail "the reminder was not saved: $(grep -a REMINDER Quillpad.dat)"
clock_shown || fail "no clock in the caption strip"

xdotool key ctrl+F6  # the other memo in front of it
sleep 0.5
[ "$(on_screen 450 320)" = "#E0E0E0" ] || fail "the other memo is not in front: $(on_screen 450 320)"
before=$(visible_windows)
wait_for 10 grep -q 'once ringing' Quillpad.dat || fail "the reminder did not ring"
[ "$(on_screen 450 320)" = "#F8FDB3" ] || fail "the due memo did not come to the front"
lit() { [ "$(pixel "$due" 100 5)" = "#DC1E1E" ]; }
unlit() { [ "$(pixel "$due" 100 5)" = "#0055AA" ]; }
# A window new since BEFORE that is neither a memo nor the tray's.
balloon() { comm -13 <(echo "$before") <(visible_windows) | grep -vxF -e "$(tray_window)" -f <(memo_windows) | grep -q .; }
wait_for 5 balloon || fail "no balloon at the tray icon"
wait_for 2 unlit && wait_for 2 lit || fail "the caption strip does not flash"
[ -n "$shots" ] && xwd -root -silent | convert xwd:- -crop 520x440+0+0 "$shots/reminder-due.png"

memo_geometry "$due"
open_menu $((X + 100)) $((Y + 5)) 1  # a click on the due memo: the due menu
[ -n "$shots" ] && window_shot "$MENU" "$shots/reminder-menu.png"
xdotool mousemove $((X + 20)) $((Y + 37)) sleep 0.2 click 1  # "5 分後に再通知(&5)"
wait_for 5 grep -q ' snooze ' Quillpad.dat || fail "snooze was not saved"
grep -q ringing Quillpad.dat && fail "a snoozed reminder still rings"
sleep 1.2
unlit || fail "a touched memo still flashes"
exit_quillpad

# Its snooze passed while the program was not running.
sed -i 's/ snooze [0-9T:-]*/ snooze 2026-01-02T03:04:05/' Quillpad.dat
before=$(visible_windows)
restart_quillpad
wait_for 10 two_memos || fail "the two memos are not shown after the restart"
read -r due other <<< "$(memo_windows | xargs)"
wait_for 10 grep -q 'ringing' Quillpad.dat || fail "the missed reminder did not ring at the start"
wait_for 5 balloon || fail "no balloon for the missed reminder"
[ "$(on_screen 450 320)" = "#F8FDB3" ] || fail "the memo due at the start is not in front"
[ -n "$shots" ] && screen_shot "$shots/reminder-late.png"
xdotool key shift+F2  # every memo to the front; Ctrl+F6 on to the due one
sleep 0.5
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$due" ]; }
focused || xdotool key ctrl+F6
wait_for 3 focused || fail "Ctrl+F6 did not reach the due memo"
xdotool key Return  # a key in the due memo: the due menu
sleep 0.5
xdotool key d  # "完了(&D)"
wait_for 5 eval '! grep -q REMINDER Quillpad.dat' || fail "完了 did not clear the reminder: $(grep -a REMINDER Quillpad.dat)"
exit_quillpad
echo "reminder: set, rang in front and flashing, snoozed, rang once late after a restart, done"
