#!/usr/bin/env bash
# "オプション(&O)" from the tray menu: type a snap width and a hot key, look
# at the page "メモ" (Ctrl+Tab) and its colour dialog, come back, check
# "Windows の起動時に開始する", OK. The settings files hold the new values, the
# Run key this program's path in quotes, and the program opens the options again.
# A Run key that names another copy is shown unchecked; checked, it names this one.
# Positions are in the dialog units of the templates (the options dialog is
# 179 by 255; its pages start at about 11, 30 inside it).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
exe=$1
shots=${2:-}  # a folder for screenshots of the dialogs, or nothing
shot() { [ -n "$shots" ] && window_shot "$1" "$shots/$2" || true; }
options() { click_at "$OPTIONS" 179 255 "$@"; }

start_quillpad "$exe"

choose_from_tray_menu o
wait_window "オプション設定"
OPTIONS=$WINDOW

options 94 112  # the snap width
xdotool key End BackSpace BackSpace BackSpace BackSpace 4 5
options 71 172  # the hot-key control, showing "全メモを最前面へ表示"
xdotool key shift+F9 shift+Tab  # left with Shift held: the key typed stays
xdotool key ctrl+Tab  # to the page "メモ"
shot "$OPTIONS" options-memo.png
options 106 72  # "設定"
wait_window "色設定"
colors=$WINDOW
shot "$colors" colors.png
[ -n "$shots" ] && screen_shot "$shots/dialogs-centred.png" "$OPTIONS" "$colors"
click_at "$colors" 163 105 142 92  # "ｷｬﾝｾﾙ"
wait_for 10 gone "$colors" || fail "the colour dialog stayed open"

xdotool key ctrl+Prior  # back to "全般"
options 29 195  # "Windows の起動時に開始する"
shot "$OPTIONS" options-general.png
options 117 242  # OK
wait_for 10 gone "$OPTIONS" || fail "the options dialog stayed open"

grep -q $'^ABSORB-45\r$' Quillpad.ini || fail "Quillpad.ini: $(tr '\r\n' ' |' < Quillpad.ini)"
keys=$(od -An -tx1 key.ini | tr -d ' \n')
[ "$keys" = 780004002d000600 ] || fail "key.ini holds $keys"
run_key() { wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Quillpad 2>/dev/null | tr -d '\r' | grep -o '".*"'; }
this_copy="\"$(winepath -w "$QP_EXE")\""
[ "$(run_key)" = "$this_copy" ] || fail "the Run key holds $(run_key), not $this_copy"

# The opener has re-registered the keys and enabled its menu item again.
choose_from_tray_menu o
wait_window "オプション設定"
click_at "$WINDOW" 179 255 21 12  # the keyboard follows the pointer: onto the dialog
xdotool key Escape
wait_for 10 gone "$WINDOW" || fail "Escape did not close the options dialog"
grep -q $'^ABSORB-45\r$' Quillpad.ini || fail "Cancel changed Quillpad.ini"

wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Quillpad /d '"C:\moved\Quillpad.exe"' /f >/dev/null 2>&1
choose_from_tray_menu o
wait_window "オプション設定"
OPTIONS=$WINDOW
shot "$OPTIONS" options-other-copy.png
options 29 195
options 117 242
wait_for 10 gone "$OPTIONS" || fail "the options dialog stayed open"
[ "$(run_key)" = "$this_copy" ] || fail "the Run key naming another copy was shown checked: $(run_key)"
# The prefix serves the other tests: no program of theirs starts at a logon.
wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Quillpad /f >/dev/null 2>&1

# "終了(&X)" while the options are open ends them, then the program (code 0).
choose_from_tray_menu o
wait_window "オプション設定"
sleep 1  # until the dialog is active: its activation would close a menu opened before
exit_quillpad
gone "$WINDOW" || fail "the options dialog outlived the program"
echo "options: snap width 45 and Shift+F9 saved through the real dialog"
