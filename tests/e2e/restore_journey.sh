#!/usr/bin/env bash
# Two stored memos; "全削除(&D)" answered Yes, exit, start again: no memo.
# "バックアップから復元(&R)..." with its newest generation and OK answered
# Yes: the memos are back on the screen and in the file, and the emptied
# state is kept among the generations. Positions are in the dialog's units
# (260 by 190).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
shot=${2:-}

QP_EXE=$(realpath "$1")
QP_WORK=$(mktemp -d)
cd "$QP_WORK"
memo() {
    printf '%s\r\n' "[MEMO_TAB_START]" RECT_TOP-100 "RECT_LEFT-$1" RECT_BOTTOM-250 "RECT_RIGHT-$(($1 + 300))" \
        MEMO_SELECT_INDEX-0 "CAPTION-$2" "[MEMO_START]" MEMO_TAB_TITLE-tab "$3" "[MEMO_END]" "[MEMO_TAB_END]"
}
{ memo 100 買い物 牛乳; memo 500 "second memo" "text of the second"; } | iconv -f UTF-8 -t CP932 > Quillpad.dat
cp Quillpad.dat stored.dat
restart_quillpad
two_memos() { [ "$(memo_windows | wc -l)" -eq 2 ]; }
no_memo() { ! has_memo; }
wait_for 10 two_memos || fail "the two stored memos are not shown"

choose_from_tray_menu d
wait_for 5 question_box || fail "全削除 asked nothing"
answer_box yes
wait_for 5 no_memo || fail "the memos are still shown after 全削除"
exit_quillpad
# What stays is the deletes, for the other PCs that share the file.
! LC_ALL=C grep -aq '^\[MEMO_TAB_START\]' Quillpad.dat || fail "the data file still holds memos: $(cat -A Quillpad.dat)"
# The newest generation: the highest number this computer gave one.
generation() { ls backup | sed -n 's/^Quillpad-.*-\([0-9]*\)\.dat$/\1 backup\/&/p' | sort -n | tail -1 | cut -d' ' -f2; }
cmp -s "$(generation)" stored.dat || fail "the deleted memos are not kept in backup: $(ls backup)"

restart_quillpad
sleep 1
no_memo || fail "a memo came back on its own"
choose_from_tray_menu r
wait_window "バックアップから復元"
dialog=$WINDOW
window_shot "$dialog" "$shot"
click_at "$dialog" 260 190 145 177  # OK
wait_for 5 question_box || fail "OK asked nothing"
answer_box yes
wait_for 10 gone "$dialog" || fail "the dialog stayed open after Yes"
wait_for 10 two_memos || fail "the restored memos are not shown"
# The program writes every key; the memos' own lines must all be there, in order.
memo_lines() { iconv -f CP932 -t UTF-8 "$1" | grep -e '^CAPTION-' -e '^RECT_' -e '^MEMO_TAB_TITLE-' -e '^牛乳' -e '^text of'; }
[ "$(memo_lines Quillpad.dat)" = "$(memo_lines stored.dat)" ] ||
    fail "the data file does not hold the restored memos: $(cat -A Quillpad.dat)"
cp Quillpad.dat restored.dat
empty_kept() { for g in backup/Quillpad-*.dat; do LC_ALL=C grep -aq '^\[MEMO_TAB_START\]' "$g" || return 0; done; return 1; }
empty_kept || fail "the replaced, empty state is not among the generations: $(ls -l backup)"
exit_quillpad
cmp -s Quillpad.dat restored.dat || fail "exit changed the restored data file"
echo "全削除, exit, start, restore of the newest: both memos back, the empty state kept in backup"
