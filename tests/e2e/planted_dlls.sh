#!/usr/bin/env bash
# A version.dll and a comctl32.dll planted beside the program, with Wine told
# to prefer a DLL found there, as Windows' search order does: the program
# never loads them, and still shows a memo with tabs, the colour dialogs and
# the version dialog.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;version=n,b;comctl32=n,b"

folder=$(mktemp -d)
cp "$1" "$folder/Quillpad.exe"
cp "$2" "$folder/version.dll"
cp "$3" "$folder/comctl32.dll"
# Each stand-in leaves <its path>.loaded when a process loads it.
no_planted_dll_loaded() {
    local loaded
    loaded=$(cd "$folder" && ls -- *.loaded 2>/dev/null || true)
    [ -z "$loaded" ] || fail "$1: the program loaded the planted $(echo $loaded | sed 's/\.loaded//g')"
}

cd "$(mktemp -d)"
wine "$folder/Quillpad.exe" &
QP_PID=$!
started=yes
wait_for 20 has_tray_window || started=no
no_planted_dll_loaded "at start"
[ "$started" = yes ] || fail "no tray icon"

find_tray_icon
xdotool mousemove "$TRAY_X" "$TRAY_Y" click --repeat 2 --delay 80 1
wait_for 10 has_memo || fail "no memo"
memo_geometry "$(memo_windows)"
body_x=$((X + WIDTH / 2)); body_y=$((Y + HEIGHT / 2))

open_menu "$body_x" "$body_y"  # "タブの追加(&A)", the first item
xdotool mousemove $((X + 20)) $((Y + 11)) sleep 0.2 click 1
two_tabs() { [ "$(grep -c '^\[MEMO_START\]' Quillpad.dat 2>/dev/null)" = 2 ]; }
wait_for 10 two_tabs || fail "no second tab in the data file"

open_menu "$body_x" "$body_y"  # "プロパティ(&O)", then "色変更(&C)"
last_item
open_menu "$LAST_X" "$LAST_Y" 1
xdotool mousemove $((X + 20)) $((Y + 11)) sleep 0.2 click 1
wait_window "色設定"
colors=$WINDOW
before=$(visible_windows)
click_at "$colors" 163 105 140 50  # the memo's "背景色": the system's colour dialog
chooser() { CHOOSER=$(comm -13 <(echo "$before") <(visible_windows) | head -1); [ -n "$CHOOSER" ]; }
wait_for 10 chooser || fail "the system's colour dialog did not open"
eval "$(xdotool getwindowgeometry --shell "$CHOOSER")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + 10)) click 1 sleep 0.3 key Escape
wait_for 10 gone "$CHOOSER" || fail "Escape did not close the system's colour dialog"
click_at "$colors" 163 105 142 92  # "ｷｬﾝｾﾙ"
wait_for 10 gone "$colors" || fail "the colour dialog stayed open"

before=$(visible_windows)
choose_from_tray_menu v
new_window() { VERSION=$(comm -13 <(echo "$before") <(visible_windows) | head -1); [ -n "$VERSION" ]; }
wait_for 10 new_window || fail "the version dialog did not open"
DIALOG_FRAME="3 3 3 3" click_at "$VERSION" 95 72 45 62  # OK
wait_for 10 gone "$VERSION" || fail "OK did not close the version dialog"

exit_quillpad
no_planted_dll_loaded "after a memo with two tabs, the colour dialogs and the version dialog"
echo "planted version.dll and comctl32.dll: never loaded; memo, tabs and dialogs work"
