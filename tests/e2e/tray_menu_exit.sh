#!/usr/bin/env bash
# Right-click the icon in Wine's tray window, see the menu, choose "終了(&X)":
# the program ends with exit code 0 and its icon is gone.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
exe=$1
shot=${2:-}

start_quillpad "$exe"
open_tray_menu || fail "the tray menu did not open"
eval "$(xdotool getwindowgeometry --shell "$MENU")"
[ "$Y" -eq "$TRAY_Y" ] || fail "menu top $Y, cursor at $TRAY_Y"
[ "$HEIGHT" -gt 60 ] || fail "menu of $HEIGHT pixels is too small for seven items"
[ -n "$shot" ] && { sleep 0.5; qp_screenshot "$shot"; echo "screenshot: $shot"; }

# With no window manager the keyboard focus follows the pointer.
xdotool mousemove $((X + 20)) $((Y + 20))
sleep 0.3
xdotool key x
rc=0
wait "$QP_PID" || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc"
wait_for 10 bash -c '! xdotool search --onlyvisible --name "^Wine System Tray$" >/dev/null 2>&1' ||
    fail "the tray icon is still there"
echo "tray menu opened and 終了(&X) ended the program with exit code 0"
