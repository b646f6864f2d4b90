#!/usr/bin/env bash
# Right-click the icon in Wine's tray window, see the menu, choose "終了(&X)":
# the program ends with exit code 0 and its icon is gone.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
exe=$1
shot=${2:-}

start_quillpad "$exe"
find_tray_icon
open_menu "$TRAY_X" "$TRAY_Y"
[ "$Y" -eq "$TRAY_Y" ] || fail "menu top $Y, cursor at $TRAY_Y"
[ "$HEIGHT" -gt 110 ] || fail "menu of $HEIGHT pixels is too small for eight items"
last_item
xdotool mousemove "$LAST_X" "$LAST_Y"
[ -n "$shot" ] && { sleep 0.5; qp_screenshot "$shot"; echo "screenshot: $shot"; }
xdotool click 1
wait_exit
wait_for 10 bash -c '! xdotool search --onlyvisible --name "^Wine System Tray$" >/dev/null 2>&1' ||
    fail "the tray icon is still there"
echo "tray menu opened and 終了(&X) ended the program with exit code 0"
