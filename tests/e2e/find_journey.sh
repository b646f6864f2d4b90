#!/usr/bin/env bash
# "検索(&F)..." from the tray, "quill" typed, Enter: the first memo is in front
# on its second tab, where "ＱＵＩＬＬ" stands; F3 in it brings the second.
# "sales" has 200 matches in the first memo and a 201st, past the listed lines, in the third:
# Shift+F3 from the first line goes there, F3 round to the first. The exit saves the tabs gone to.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
shots=${2:-}  # a folder for screenshots of the find window and the memo, or nothing
shot() { [ -n "$shots" ] && window_shot "$1" "$shots/$2" || true; }

QP_EXE=$(realpath "$1")
QP_WORK=$(mktemp -d)
cd "$QP_WORK"
# memo LEFT TOP CAPTION TITLE TEXT [TITLE TEXT]...
memo() {
    local left=$1 top=$2 caption=$3
    shift 3
    printf '%s\r\n' "[MEMO_TAB_START]" "RECT_TOP-$top" "RECT_LEFT-$left" "RECT_BOTTOM-$((top + 200))" \
        "RECT_RIGHT-$((left + 280))" BACK_CAPTION_COLOR-11162880 TEXT_CAPTION_COLOR-16777215 \
        BACK_MEMO_COLOR-11795960 TEXT_MEMO_COLOR-0 MEMO_SELECT_INDEX-0 "CAPTION-$caption"
    while [ $# -gt 0 ]; do printf '%s\r\n' "[MEMO_START]" "MEMO_TAB_TITLE-$1" "$2" "[MEMO_END]"; shift 2; done
    printf '%s\r\n' "[MEMO_TAB_END]"
}
report=$(for i in $(seq 200); do printf '%s\r\n' "$i. sales 売上と経費の報告、来週の会議で確認"; done)
{
    memo 100 100 仕事 予定 "会議 10:00" 報告 "${report}"$'\n'"the ＱＵＩＬＬ report は金曜までに提出すること"
    memo 500 100 趣味 本 読む 映画 見る 道具 "a quill pen"
    memo 300 400 "Quill の使い方" 手入れ "羽根ペン (ｑｕｉｌｌ) は先を斜めに切って使う" Quill "ｸｲﾙ と読む sales"
} | iconv -f UTF-8 -t CP932 > Quillpad.dat
restart_quillpad
three_memos() { [ "$(memo_windows | wc -l)" -eq 3 ]; }
wait_for 10 three_memos || fail "the three stored memos are not shown"
read -r first second third <<< "$(memo_windows | tr '\n' ' ')"

focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
choose_from_tray_menu f
wait_window "検索"
find=$WINDOW
wait_for 5 focused "$find" || fail "the find window did not take the keyboard"
xdotool type --delay 50 quill
shot "$find" find.png
xdotool key Return
wait_for 5 focused "$first" || fail "Enter did not bring the first memo to the front"
shot "$first" find-match.png
xdotool key F3  # in the memo, which has the keyboard now
wait_for 5 focused "$second" || fail "F3 in the memo did not bring the second memo to the front"
gone "$find" && fail "the find window closed"
xdotool key ctrl+f
wait_for 5 focused "$find" || fail "Ctrl+F in the memo did not bring the find window back"
xdotool key End ctrl+a  # the text is selected as the window opens; Ctrl+A selects it again
xdotool type --delay 50 sales
xdotool key shift+F3
wait_for 5 focused "$third" || fail "Shift+F3 from the first of 200 listed lines did not go to the 201st match"
xdotool key F3
wait_for 5 focused "$first" || fail "F3 after the last match did not go round to the first"

exit_quillpad
gone "$find" || fail "the find window outlived the program"
tabs=$(grep -a '^MEMO_SELECT_INDEX-' Quillpad.dat | tr -d '\r' | tr '\n' ' ')
[ "$tabs" = "MEMO_SELECT_INDEX-1 MEMO_SELECT_INDEX-2 MEMO_SELECT_INDEX-1 " ] || fail "tabs shown at the exit: $tabs"
echo "found \"quill\" from the tray: Enter and F3 brought each memo to the front on its tab; F3 walked past the list"
