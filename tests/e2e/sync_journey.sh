#!/usr/bin/env bash
# Two PCs, each with its own Wine prefix, display and folder, the folders kept
# equal by a real Syncthing pair on loopback (no discovery, no relays, a rescan
# every second), a file of an earlier version. At once the users edit
# "different" memos, the "same" memo, or A adds one while B edits ("add"); or
# they take "turns". Both files and screens end with both edits, no box, no
# conflict copy. A third argument keeps the folders, for a look by hand.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
exe=$(realpath "$1") scenario=${2:-different} work=${3:-$(mktemp -d)}
pids=()
trap 'rc=$?; kill -9 "${pids[@]}" 2>/dev/null || true; WINEPREFIX=$work/prefix-b wineserver -k 2>/dev/null || true; exit $rc' EXIT
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
declare -A id port
for s in a b; do
    mkdir -p "$work/$s/.stfolder"
    id[$s]=$(syncthing generate --home="$work/st-$s" --no-default-folder 2>&1 | sed -n 's/.*Device ID: //p')
    port[$s]=$(free_port)
done
for s in a b; do
    cat >"$work/st-$s/config.xml" <<EOF
<configuration version="36"><gui enabled="false"></gui>
  <folder id="quillpad" path="$work/$s" rescanIntervalS="1" fsWatcherDelayS="1"><device id="${id[a]}"></device>
    <device id="${id[b]}"></device></folder>
  <device id="${id[a]}"><address>tcp://127.0.0.1:${port[a]}</address></device>
  <device id="${id[b]}"><address>tcp://127.0.0.1:${port[b]}</address></device>
  <options><listenAddress>tcp://127.0.0.1:${port[$s]}</listenAddress><relaysEnabled>false</relaysEnabled>
    <globalAnnounceEnabled>false</globalAnnounceEnabled><localAnnounceEnabled>false</localAnnounceEnabled>
    <natEnabled>false</natEnabled><startBrowser>false</startBrowser><urAccepted>-1</urAccepted></options></configuration>
EOF
done
for left in 100 500; do
    printf '%s\r\n' "[MEMO_TAB_START]" RECT_TOP-100 "RECT_LEFT-$left" RECT_BOTTOM-250 "RECT_RIGHT-$((left + 300))" \
        "CAPTION-memo $left" "[MEMO_START]" MEMO_TAB_TITLE-tab "text $left" "[MEMO_END]" "[MEMO_TAB_END]"
done >"$work/a/Quillpad.dat"
for s in a b; do
    STNOUPGRADE=1 syncthing serve --home="$work/st-$s" --no-browser --no-restart >"$work/st-$s.log" 2>&1 &
    pids+=($!)
done
synced() { cmp -s "$work/a/Quillpad.dat" "$work/b/Quillpad.dat"; }
wait_for 60 synced || fail "Syncthing did not bring the file to B: $(tail -3 "$work/st-b.log")"

# B: its own display, and a prefix copied from A's.
n=$((${DISPLAY#:} + 1))
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
cp -a "$WINEPREFIX" "$work/prefix-b"
declare -A display=([a]=$DISPLAY [b]=":$n") prefix=([a]=$WINEPREFIX [b]=$work/prefix-b)
on() { DISPLAY=${display[$1]} WINEPREFIX=${prefix[$1]} "${@:2}"; }
for s in a b; do
    (cd "$work/$s" && on "$s" wine "$exe" 2>>"$work/wine-$s.log") &
    pids+=($!)
done
memos_on() { [ "$(on "$1" memo_windows | wc -l)" -eq "$2" ]; }
for s in a b; do wait_for 30 memos_on "$s" 2 || fail "$s does not show the two memos"; done
sleep 1

edit() {  # edit SIDE LEFT TEXT: replaces the text of the memo at LEFT, then "OK"
    on "$1" xdotool mousemove $(($2 + 150)) 175 click --repeat 2 --delay 80 1 sleep 0.5 type --delay 20 "$3"
    on "$1" xdotool mousemove $(($2 + 260)) 242 click 1
}
holds() { LC_ALL=C grep -q "$2" "$work/$1/Quillpad.dat"; }
expected=("from A" "from B") memos=2
case $scenario in
    different) edit a 100 "from A" & edit b 500 "from B" ;;
    same) edit a 100 "from A" & edit b 100 "from B"; memos=3 ;;
    add) on a choose_from_tray_menu a & edit b 100 "from B"; expected=("from B" "$(printf '\x83\x5f\x83\x75')"); memos=3 ;;
    turns) edit a 100 "from A"; wait_for 30 holds b "from A" || fail "A's edit did not reach B"; sleep 2; edit b 500 "from B" ;;
esac
[ "$scenario" = turns ] || wait "$!"

# Both files hold both edits in this many memos, and nothing else is beside them.
files_agree() {
    for s in a b; do
        for text in "${expected[@]}"; do holds "$s" "$text" || return 1; done
        [ "$(grep -c '^\[MEMO_TAB_START\]' "$work/$s/Quillpad.dat")" -eq "$memos" ] || return 1
        [ "$(ls "$work/$s")" = "$(printf 'Quillpad.dat\nbackup')" ] || return 1
    done
}
settled() {
    files_agree && memos_on a "$memos" && memos_on b "$memos" || return 1
    # Each PC keeps its own version of a memo both changed, the other's beside it.
    [ "$scenario" = same ] || synced
}
wait_for 60 settled || fail "no agreement: $(ls "$work/a" "$work/b"), $(on a memo_windows | wc -l)/$(on b memo_windows | wc -l) memos"
sleep 3
settled || fail "the agreement did not last"
for s in a b; do ! on "$s" question_box || fail "$s showed a box"; done

# What each screen holds is what its exit writes: stop the sync, end both, read both files.
kill "${pids[0]}" "${pids[1]}"
for s in a b; do on "$s" choose_from_tray_menu x; done
sleep 2
files_agree || fail "the screens did not hold what the files held: $(cat -A "$work/a/Quillpad.dat" "$work/b/Quillpad.dat")"
echo "$scenario: both files and both screens hold ${expected[*]} in $memos memos; no box, no conflict copy left"
