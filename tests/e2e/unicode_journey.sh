#!/usr/bin/env bash
# Text that Shift-JIS cannot hold all of: a line from the web pasted from the
# X clipboard, Japanese typed with real keys; committed, the program ended and
# started again. The file holds the look-alikes and escapes, the memo shows
# every character again (read in Unicode by memo_text).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
memo_text=$(realpath "$2")
data=$(mktemp -d)
printf '%s\r\n' "[MEMO_TAB_START]" RECT_TOP-200 RECT_LEFT-200 RECT_BOTTOM-400 RECT_RIGHT-600 CAPTION-c \
    "[MEMO_START]" MEMO_TAB_TITLE-t old "[MEMO_END]" "[MEMO_TAB_END]" > "$data/Quillpad.dat"
# xclip serves the clipboard while it runs; its output must not hold CTest's pipe.
printf '%s' "Café — 10−20 〜 ‖ ¢ 😀 한글 简体" > "$data/pasted.txt"
xclip -quiet -selection clipboard "$data/pasted.txt" >/dev/null 2>&1 &
clip=$!
trap 'rc=$?; kill -9 "${QP_PID:-}" "$clip" 2>/dev/null || true; exit $rc' EXIT
start_quillpad "$1" "$data"
wait_for 10 has_memo || fail "the memo was not shown"
memo_geometry "$(memo_windows)"
# The whole text is selected on editing: the paste replaces it.
xdotool mousemove $((X + 100)) $((Y + 80)) click --repeat 2 --delay 80 1 sleep 1 key ctrl+v sleep 0.5 key Return
xdotool type --delay 80 "あいう漢字表ソ"
xdotool key ctrl+Return
printf '%s\r\n' "Caf〓U+00E9〓 ― 10－20 ～ ∥ ￠ 〓U+1F600〓 〓U+D55C〓〓U+AE00〓 〓U+7B80〓体" "あいう漢字表ソ" |
    iconv -f UTF-8 -t CP932 > expected.txt
kept() { sed -n '/^MEMO_TAB_TITLE-t/,/^\[MEMO_END\]/p' Quillpad.dat | sed '1d;$d' | cmp -s - expected.txt; }
wait_for 5 kept || fail "the file holds $(sed -n '/^MEMO_TAB_TITLE-t/,/^\[MEMO_END\]/p' Quillpad.dat | od -c)"
exit_quillpad
restart_quillpad
wait_for 10 has_memo || fail "the memo was not restored"
shown=$(wine "$memo_text" | tr -d '\r')
expected=$(printf 'c\n%s\n%s\n' "Café ― 10－20 ～ ∥ ￠ 😀 한글 简体" "あいう漢字表ソ")
[ "$shown" = "$expected" ] || fail "the memo shows: $shown"
exit_quillpad
echo "pasted and typed text kept through a save and a restart: $shown"
