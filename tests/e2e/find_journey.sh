#!/usr/bin/env bash
# Three stored memos, the third collapsed. "検索(&F)..." from the tray, "quill"
# typed, Enter: the second memo is in front on its second tab, where
# "ＱＵＩＬＬ" stands. F3 in that memo: the third one is in front, expanded.
# After the exit the data file holds the tabs that were gone to.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
shot=${2:-}

QP_EXE=$(realpath "$1")
QP_WORK=$(mktemp -d)
cd "$QP_WORK"
# memo LEFT CAPTION COMPACT TITLE TEXT [TITLE TEXT]...
memo() {
    local left=$1 caption=$2 compact=$3
    shift 3
    printf '%s\r\n' "[MEMO_TAB_START]" RECT_TOP-100 "RECT_LEFT-$left" RECT_BOTTOM-300 "RECT_RIGHT-$((left + 280))" \
        MEMO_SELECT_INDEX-0 "CAPTION-$caption" "COMPACT_FLAG-$compact"
    while [ $# -gt 0 ]; do printf '%s\r\n' "[MEMO_START]" "MEMO_TAB_TITLE-$1" "$2" "[MEMO_END]"; shift 2; done
    printf '%s\r\n' "[MEMO_TAB_END]"
}
{
    memo 20 買い物 0 食品 牛乳
    memo 320 仕事 0 予定 "会議 10:00" 報告 "the ＱＵＩＬＬ report"
    memo 620 趣味 1 本 読む 映画 見る 道具 "a quill pen"
} | iconv -f UTF-8 -t CP932 > Quillpad.dat
restart_quillpad
three_memos() { [ "$(memo_windows | wc -l)" -eq 3 ]; }
wait_for 10 three_memos || fail "the three stored memos are not shown"
read -r _ second third <<< "$(memo_windows | tr '\n' ' ')"
memo_geometry "$third"
[ "$HEIGHT" -lt 60 ] || fail "the third memo is not collapsed: $HEIGHT pixels high"

focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
choose_from_tray_menu f
wait_window "検索"
find=$WINDOW
wait_for 5 focused "$find" || fail "the find window did not take the keyboard"
xdotool type --delay 50 quill
window_shot "$find" "$shot"
xdotool key Return
wait_for 5 focused "$second" || fail "Enter did not bring the second memo to the front"

# The memo has the keyboard now: F3 goes on from there.
memo_geometry "$second"
xdotool mousemove $((X + 100)) $((Y + 60))
xdotool key F3
wait_for 5 focused "$third" || fail "F3 in the memo did not bring the third memo to the front"
expanded() { memo_geometry "$third"; [ "$HEIGHT" -gt 150 ]; }
wait_for 5 expanded || fail "the third memo was not expanded: $HEIGHT pixels high"
gone "$find" && fail "the find window closed"

exit_quillpad
gone "$find" || fail "the find window outlived the program"
# The save at the exit writes each memo's shown tab.
tabs=$(grep -a '^MEMO_SELECT_INDEX-' Quillpad.dat | tr -d '\r' | tr '\n' ' ')
[ "$tabs" = "MEMO_SELECT_INDEX-0 MEMO_SELECT_INDEX-1 MEMO_SELECT_INDEX-2 " ] || fail "tabs shown at the exit: $tabs"
grep -aq $'^COMPACT_FLAG-1\r$' Quillpad.dat && fail "the third memo was saved collapsed"
echo "found \"quill\" from the tray: Enter and F3 brought each memo to the front on its tab"
