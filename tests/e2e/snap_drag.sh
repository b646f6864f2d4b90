#!/usr/bin/env bash
# Snapping with real drags: a memo dragged toward another docks on its right
# side, holds while the pointer is within the snap width of it, and breaks
# free under the pointer; a memo dragged against the left screen edge ends at x = 0.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

start_quillpad "$1"
find_tray_icon
add_memo() {
    local count
    count=$(memo_windows | wc -l)
    more_memos() { [ "$(memo_windows | wc -l)" -gt "$count" ]; }
    xdotool mousemove "$TRAY_X" "$TRAY_Y" click --repeat 2 --delay 80 1
    wait_for 10 more_memos || fail "no memo added"
    sleep 0.6  # past the double-click time, so the next double-click is one again
}
add_memo
add_memo
read -r first second <<< "$(memo_windows | tr '\n' ' ')"
memo_geometry "$second"
second_left=$X
memo_geometry "$first"
anchor_right=$((X + WIDTH)); top=$Y
left_of() { memo_geometry "$1"; echo "$X"; }

# The second memo lies on the first. Carry it 60 pixels right of the first
# one's right edge, then back in steps of 4 pixels with the button held.
grab_x=$((X + 150)); grab_y=$((top + 60))
xdotool mousemove "$grab_x" "$grab_y" mousedown 1 sleep 0.3  # the move loop starts
for dx in $(seq 10 10 360); do xdotool mousemove $((grab_x + dx)) "$grab_y"; sleep 0.05; done
sleep 0.2
free_left=$(left_of "$second")
[ "$free_left" -ge $((anchor_right + 40)) ] || fail "carried to $free_left, first memo ends at $anchor_right"
pointer=$((grab_x + 360))
docked=""
while [ "$pointer" -gt $((grab_x + 250)) ]; do
    pointer=$((pointer - 4))
    xdotool mousemove "$pointer" "$grab_y"
    sleep 0.05
    left=$(left_of "$second")
    if [ -z "$docked" ] && [ "$left" -eq "$anchor_right" ]; then docked=$pointer; fi
    if [ -n "$docked" ] && [ "$left" -ne "$anchor_right" ]; then break; fi
done
xdotool mouseup 1
[ -n "$docked" ] || fail "the memo never docked at $anchor_right"
[ "$left" -lt "$anchor_right" ] || fail "the memo never broke free (at $left)"
held=$((docked - pointer))
[ "$held" -ge 36 ] && [ "$held" -le 44 ] || fail "held for $held pixels of motion, not the snap width 20 either side"
[ "$left" -eq $((second_left + pointer - grab_x)) ] || fail "broke free to $left, away from the pointer"
echo "docked at $anchor_right, held for $held pixels, broke free at $left"

# Against the left screen edge: quickly to 60 pixels from it, then slowly
# until it snaps (a motion of the snap width in one step would carry it
# through the edge): the last free position was within the snap width.
memo_geometry "$first"
grab_x=$((X + 150)); grab_y=$((Y + 60)); pointer=$grab_x
xdotool mousemove "$grab_x" "$grab_y" mousedown 1 sleep 0.3
while [ "$(left_of "$first")" -gt 60 ]; do
    [ "$pointer" -gt 10 ] || fail "the memo did not follow the pointer"
    pointer=$((pointer - 10)); xdotool mousemove "$pointer" "$grab_y"; sleep 0.05
done
while left=$(left_of "$first") && [ "$left" -gt 0 ]; do
    last_free=$left
    pointer=$((pointer - 4)); xdotool mousemove "$pointer" "$grab_y"; sleep 0.05
done
xdotool mouseup 1
sleep 0.2
[ "$(left_of "$first")" -eq 0 ] && [ "$last_free" -gt 16 ] && [ "$last_free" -le 24 ] ||
    fail "the memo went from $last_free to $(left_of "$first"), not from the snap width to the screen edge"
exit_quillpad
echo "snapped to the other memo and to the screen edge"
