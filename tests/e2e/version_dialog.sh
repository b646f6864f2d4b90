#!/usr/bin/env bash
# "バージョン情報(&V)" from the tray menu: the dialog is dragged by its body
# and closed with OK. Positions are in the template's dialog units (95 by 72).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
DIALOG_FRAME="3 3 3 3"  # no caption; a static and a client edge
exe=$1
shot=${2:-}

start_quillpad "$exe"

before=$(visible_windows)
choose_from_tray_menu v
new_window() { VERSION=$(comm -13 <(echo "$before") <(visible_windows) | head -1); [ -n "$VERSION" ]; }
wait_for 10 new_window || fail "the version dialog did not open"
[ -n "$shot" ] && window_shot "$VERSION" "$shot"

eval "$(xdotool getwindowgeometry --shell "$VERSION")"
x0=$X y0=$Y
dialog_point "$VERSION" 95 72 47 40  # on the copyright line
xdotool mousemove "$PX" "$PY" sleep 0.2 mousedown 1 sleep 0.2 \
    mousemove $((PX + 40)) $((PY + 30)) sleep 0.2 mousemove $((PX + 120)) $((PY + 90)) sleep 0.2 mouseup 1
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$VERSION")"
[ "$X" -eq $((x0 + 120)) ] && [ "$Y" -eq $((y0 + 90)) ] || fail "dragged from $x0,$y0 to $X,$Y"

click_at "$VERSION" 95 72 45 62  # OK
wait_for 10 gone "$VERSION" || fail "OK did not close the version dialog"

exit_quillpad
echo "version dialog: dragged by its body by 120, 90 and closed with OK"
