#!/usr/bin/env bash
# Two monitors, the primary on the left: a memo on the second stays there
# through a tray click, Shift+F2, a commit and a restart; slow drags in steps
# of 1, 4 and 5 pixels across the border both ways and past a column of memos
# end under the pointer; started without the second monitor, the memo is shown
# on the first, the file keeps its place, and it is back when the monitor is.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

two="1024x768+0+0 1024x768+1024+0"
on_monitors $two
data=$(mktemp -d)
write_memos "$data/Quillpad.dat" "600 180 200 150 above" "600 340 200 150 below" "1300 300 300 150 dragged"
all_shown() { [ "$(memo_windows | wc -l)" -eq 3 ]; }
start() { restart_quillpad; wait_for 10 all_shown || fail "not every memo was shown"; }
dragged() { memo_geometry "$(memo_windows | tail -1)"; }  # the last one made: sets X, Y, WIDTH, HEIGHT
at() { dragged; [ "$X,$Y" = "$1" ] || fail "$2: the memo is at $X,$Y, not $1"; }
start_quillpad "$1" "$data"
wait_for 10 all_shown || fail "not every memo was shown"
find_tray_icon
xdotool mousemove "$TRAY_X" "$TRAY_Y" click 1 sleep 0.5 key shift+F2 sleep 0.5
at 1300,300 "after a tray click and Shift+F2"
xdotool mousemove $((X + 150)) $((Y + 80)) click 1 sleep 0.3 key F2 type z; xdotool key ctrl+Return
wait_for 5 grep -q $'^z\r$' Quillpad.dat || fail "the commit was not saved"
grep -q $'^RECT_LEFT-1300\r$' Quillpad.dat || fail "the commit saved another place"
exit_quillpad
start
at 1300,300 "restarted"

# One drag a step size, with the button held: across the border, past the column, back past both.
behind=""
for step in ${QP_DRAG_STEPS:-1 4 5}; do
    dragged
    pointer=$((X + 150)) grab_y=$((Y + 60))
    xdotool mousemove "$pointer" "$grab_y" mousedown 1 sleep 0.3
    for leg in "-450 the border leftwards" "-400 the column leftwards" "850 the column and the border rightwards"; do
        read -r dx what <<< "$leg"
        moves=()
        for _ in $(seq $((${dx#-} / step))); do
            pointer=$((pointer + dx / ${dx#-} * step)); moves+=(mousemove "$pointer" "$grab_y" sleep 0.01)
        done
        xdotool "${moves[@]}" sleep 0.3
        dragged
        echo "steps of $step, $what: at $X, the pointer puts it at $((pointer - 150))"
        [ "$X" -eq $((pointer - 150)) ] || behind+=" $step px, $what;"
    done
    xdotool mouseup 1 sleep 0.3
done
[ -z "$behind" ] || fail "not under the pointer after:$behind"

exit_quillpad
on_monitors 1024x768+0+0
start
dragged
[ $((X + WIDTH)) -le 1024 ] || fail "with one monitor the memo is at $X, off it"
exit_quillpad
grep -q $'^RECT_LEFT-1300\r$' Quillpad.dat || fail "the place on the absent monitor was not kept"
on_monitors $two
start
at 1300,300 "with the second monitor back"
exit_quillpad
echo "kept on the second monitor, dragged across the border and the column, kept while its monitor was away"
