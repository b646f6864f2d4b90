#!/usr/bin/env bash
# sync_journey.sh EXE MEMO_TEXT SCENARIO [SECONDS] [FOLDER]: two PCs, each
# with its own Wine prefix, display and folder, the folders kept equal by a
# real Syncthing pair on loopback (no discovery, no relays, a rescan every
# second, ten conflict copies kept as users' engines do), a file of an
# earlier version. At once the users edit "different" memos, the "same" memo,
# or A adds one while B edits ("add"); or they take "turns"; or "conflict":
# both edit while the engines are stopped, so that the engine makes a
# conflict copy; or "busy": that, then both add words to the memos, sometimes
# the same one, every few seconds for SECONDS. Then both files are equal, both screens
# hold every word in the memos expected, no box is up, no conflict copy is
# left, and neither PC writes the file for 20 s. A fifth argument keeps the
# folders, for a look by hand.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
exe=$(realpath "$1") memo_text=$(realpath "$2") scenario=${3:-different} seconds=${4:-30} work=${5:-$(mktemp -d)}
pids=()
# An engine killed at once leaves its worker holding the test's output: it is asked to stop.
trap 'rc=$?; stop_engines; kill -9 "${pids[@]}" 2>/dev/null || true; WINEPREFIX=$work/prefix-b wineserver -k 2>/dev/null || true; exit $rc' EXIT
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
declare -A id port engine
for s in a b; do
    mkdir -p "$work/$s/.stfolder"
    id[$s]=$(syncthing generate --home="$work/st-$s" --no-default-folder 2>&1 | sed -n 's/.*Device ID: //p')
    port[$s]=$(free_port)
done
for s in a b; do
    cat >"$work/st-$s/config.xml" <<EOF
<configuration version="36"><gui enabled="false"></gui>
  <folder id="quillpad" path="$work/$s" rescanIntervalS="1" fsWatcherDelayS="1"><device id="${id[a]}"></device>
    <device id="${id[b]}"></device><maxConflicts>10</maxConflicts></folder>
  <device id="${id[a]}"><address>tcp://127.0.0.1:${port[a]}</address></device>
  <device id="${id[b]}"><address>tcp://127.0.0.1:${port[b]}</address></device>
  <options><listenAddress>tcp://127.0.0.1:${port[$s]}</listenAddress><relaysEnabled>false</relaysEnabled>
    <globalAnnounceEnabled>false</globalAnnounceEnabled><localAnnounceEnabled>false</localAnnounceEnabled>
    <natEnabled>false</natEnabled><startBrowser>false</startBrowser><urAccepted>-1</urAccepted></options></configuration>
EOF
done
# Two memos one above the other: a copy made of either stands to its right.
for top in 60 400; do
    printf '%s\r\n' "[MEMO_TAB_START]" "RECT_TOP-$top" RECT_LEFT-40 "RECT_BOTTOM-$((top + 150))" RECT_RIGHT-340 \
        "CAPTION-memo $top" "[MEMO_START]" MEMO_TAB_TITLE-tab "text $top" "[MEMO_END]" "[MEMO_TAB_END]"
done >"$work/a/Quillpad.dat"
start_engines() {
    for s in a b; do
        STNOUPGRADE=1 syncthing serve --home="$work/st-$s" --no-browser --no-restart >>"$work/st-$s.log" 2>&1 &
        engine[$s]=$!
        pids+=($!)
    done
}
stop_engines() {
    [ -n "${engine[a]:-}" ] || return 0
    kill "${engine[a]}" "${engine[b]}" 2>/dev/null || true
    wait "${engine[a]}" "${engine[b]}" 2>/dev/null || true
    engine=()
}
start_engines
synced() { cmp -s "$work/a/Quillpad.dat" "$work/b/Quillpad.dat"; }
wait_for 60 synced || fail "Syncthing did not bring the file to B: $(tail -3 "$work/st-b.log")"

# B: its own display, and a prefix copied from A's.
n=$((${DISPLAY#:} + 1))
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
cp -a "$WINEPREFIX" "$work/prefix-b"
# B is another PC: no id of A's, and a computer name of its own where a UTS namespace can be had.
rm -rf "$work/prefix-b/drive_c/users/"*/AppData/Local/Quillpad
declare -A command=([a]="wine" [b]="wine")
if unshare --uts true 2>/dev/null; then command[b]="unshare --uts sh -c 'hostname PCB && exec \"\$@\"' sh wine"; fi
declare -A display=([a]=$DISPLAY [b]=":$n") prefix=([a]=$WINEPREFIX [b]=$work/prefix-b)
on() { DISPLAY=${display[$1]} WINEPREFIX=${prefix[$1]} "${@:2}"; }
for s in a b; do
    # The program itself has the job's number: a failure that ends the script ends it too.
    (cd "$work/$s" && eval "DISPLAY=${display[$s]} WINEPREFIX=${prefix[$s]} exec ${command[$s]} \"\$exe\"" 2>>"$work/wine-$s.log") &
    pids+=($!)
done
memos_on() { [ "$(on "$1" memo_windows | wc -l)" -eq "$2" ]; }
for s in a b; do wait_for 30 memos_on "$s" 2 || fail "$s does not show the two memos"; done
sleep 1

# Each side's writes of the file, counted by its changes of size or time.
count_writes() {
    local last= now n=0
    while :; do
        now=$(stat -c %y.%s "$work/$1/Quillpad.dat" 2>/dev/null || true)
        [ "$now" = "$last" ] || { n=$((n + 1)); echo "$n" > "$work/writes-$1"; last=$now; }
        sleep 0.1
    done
}
for s in a b; do count_writes "$s" & pids+=($!); done
started=$SECONDS

edit() {  # edit SIDE TOP TEXT: adds TEXT at the end of the memo at TOP, then "OK"
    on "$1" xdotool mousemove 190 $(($2 + 75)) click --repeat 2 --delay 80 1 sleep 0.5 key ctrl+End type --delay 20 " $3"
    on "$1" xdotool mousemove 300 $(($2 + 142)) click 1
}
expected=() memos=2 other= unkept=()
case $scenario in
    different) edit a 60 fromA & other=$!; edit b 400 fromB; expected=(fromA fromB) ;;
    same) edit a 60 fromA & other=$!; edit b 60 fromB; expected=(fromA fromB) memos=3 ;;
    add) on a choose_from_tray_menu a & other=$!; edit b 60 fromB; expected=(fromB) memos=3 ;;
    turns) edit a 60 fromA; wait_for 30 grep -q fromA "$work/b/Quillpad.dat" || fail "A's edit did not reach B"
        sleep 2; edit b 400 fromB; expected=(fromA fromB) ;;
    conflict | busy) # Both edit one memo while the engines are stopped: the engine makes a conflict copy.
        stop_engines; edit a 60 fromA; edit b 60 fromB; sleep 2; start_engines
        wait_for 60 bash -c "ls '$work/a' '$work/b' | grep -q sync-conflict" || fail "the engine made no conflict copy"
        expected=(fromA fromB) memos=3 ;;&
    busy) # Then each side adds a word to a memo every few seconds, at times both to the same one.
        end=$((SECONDS + seconds)) k=0
        while [ $SECONDS -lt $end ]; do
            k=$((k + 1))
            tops=(60 400); ta=${tops[RANDOM % 2]} tb=${tops[RANDOM % 2]}
            edit a "$ta" "a$k" & other=$!; edit b "$tb" "b$k"; wait "$other"
            # A word is kept once its side has saved it; a double-click that
            # met a memo being made anew by a merge opened no editor.
            for s in a b; do
                if wait_for 3 grep -qw "$s$k" "$work/$s/Quillpad.dat"; then expected+=("$s$k"); else unkept+=("$s$k"); fi
            done
            sleep $((1 + RANDOM % 3))
        done
        memos=0 ;;
esac
[ -z "$other" ] || wait "$other"

# Both files hold every word, in the same bytes, in this many memos (any
# number for "busy", the same on both), and nothing is left beside them.
count() { grep -c '^\[MEMO_TAB_START\]' "$work/$1/Quillpad.dat"; }
files_agree() {
    synced || return 1
    for text in "${expected[@]}"; do grep -qw "$text" "$work/a/Quillpad.dat" || return 1; done
    [ "$memos" -eq 0 ] || [ "$(count a)" -eq "$memos" ] || return 1
    for s in a b; do [ "$(ls "$work/$s")" = "$(printf 'Quillpad.dat\nbackup')" ] || return 1; done
}
# The engine has carried the last write too: it gives a file the time it had
# where it was written, and a PC's write of the same bytes is still on its way.
carried() { [ "$(stat -c %Y "$work/a/Quillpad.dat")" = "$(stat -c %Y "$work/b/Quillpad.dat")" ]; }
settled() { files_agree && carried && memos_on a "$(count a)" && memos_on b "$(count a)"; }
wait_for 90 settled || fail "no agreement: $(ls "$work/a" "$work/b"), $(on a memo_windows | wc -l)/$(on b memo_windows | wc -l) memos"
# Nothing new: neither PC writes the file again.
written() { stat -c %Y.%s "$work/a/Quillpad.dat" "$work/b/Quillpad.dat" | tr '\n' ' '; }
before=$(written)
sleep 20
[ "$(written)" = "$before" ] || fail "the file was written again without a change: $before / $(written)"
settled || fail "the agreement did not last"
for s in a b; do
    if on "$s" question_box; then on "$s" window_shot "$BOX" "$work/box-$s.png"; fail "$s showed a box"; fi
    shown=$(on "$s" wine "$memo_text" | tr -d '\r')
    for text in "${expected[@]}"; do grep -qw "$text" <<< "$shown" || fail "$s does not show $text"; done
    # A copy is captioned with one PC's name, never with two.
    ! grep -q ') (' <<< "$shown" || fail "$s shows a copy of a copy: $shown"
done
for s in a b; do on "$s" choose_from_tray_menu x; done
echo "$scenario: both files equal, $(count a) memos on each screen holding ${#expected[@]} words (${#unkept[@]} typed words never saved: ${unkept[*]}); no box, no conflict copy left, no write for 20 s; $(cat "$work/writes-a") and $(cat "$work/writes-b") changes of A's and B's file in $((SECONDS - started)) s"
