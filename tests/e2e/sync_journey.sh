#!/usr/bin/env bash
# Two PCs that share their data file through a real Syncthing pair: two
# copies of the program, each in its own Wine prefix and on its own display,
# each in its own folder, the folders kept equal by two Syncthing instances on
# loopback addresses (no discovery, no relays, a rescan every second). The
# file starts as one of an earlier version, without identities.
# Scenario (second argument):
#   different  A and B edit different memos at once (the default)
#   turns      A edits memo 1, it syncs, then B edits memo 2
#   same       A and B edit memo 1 at once
#   add        A adds a memo while B edits memo 1
# After sync both files and both screens hold both edits, no box opened, and
# no conflict copy is left beside the files. A third argument keeps the
# folders there, for a look by hand.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
exe=$(realpath "$1")
scenario=${2:-different}
work=${3:-$(mktemp -d)}
mkdir -p "$work"
pids=()
end_pair() {
    local rc=$?
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    WINEPREFIX=$work/prefix-b wineserver -k 2>/dev/null || true
    exit $rc
}
trap end_pair EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# Syncthing: a home and a folder for each side, each knowing the other at its loopback port.
for side in a b; do
    mkdir -p "$work/$side/.stfolder"
    syncthing generate --home="$work/st-$side" --no-default-folder >"$work/st-$side.id" 2>&1
done
id_a=$(sed -n 's/.*Device ID: //p' "$work/st-a.id")
id_b=$(sed -n 's/.*Device ID: //p' "$work/st-b.id")
port_a=$(free_port)
port_b=$(free_port)
st_config() {  # st_config SIDE PORT
    cat >"$work/st-$1/config.xml" <<EOF
<configuration version="36">
  <folder id="quillpad" label="quillpad" path="$work/$1" type="sendreceive" rescanIntervalS="1"
          fsWatcherEnabled="true" fsWatcherDelayS="1">
    <device id="$id_a"></device>
    <device id="$id_b"></device>
  </folder>
  <device id="$id_a" name="A" compression="metadata"><address>tcp://127.0.0.1:$port_a</address></device>
  <device id="$id_b" name="B" compression="metadata"><address>tcp://127.0.0.1:$port_b</address></device>
  <gui enabled="false"></gui>
  <options>
    <listenAddress>tcp://127.0.0.1:$2</listenAddress>
    <globalAnnounceEnabled>false</globalAnnounceEnabled>
    <localAnnounceEnabled>false</localAnnounceEnabled>
    <relaysEnabled>false</relaysEnabled>
    <natEnabled>false</natEnabled>
    <startBrowser>false</startBrowser>
    <urAccepted>-1</urAccepted>
    <crashReportingEnabled>false</crashReportingEnabled>
    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
  </options>
</configuration>
EOF
}
st_config a "$port_a"
st_config b "$port_b"

memo() {
    printf '%s\r\n' "[MEMO_TAB_START]" RECT_TOP-100 "RECT_LEFT-$1" RECT_BOTTOM-250 "RECT_RIGHT-$(($1 + 300))" \
        MEMO_SELECT_INDEX-0 "CAPTION-$2" "[MEMO_START]" MEMO_TAB_TITLE-tab "$3" "[MEMO_END]" "[MEMO_TAB_END]"
}
{ memo 100 one "first memo"; memo 500 two "second memo"; } >"$work/a/Quillpad.dat"
for side in a b; do
    STNOUPGRADE=1 syncthing serve --home="$work/st-$side" --no-browser --no-restart --logflags=0 \
        >"$work/st-$side.log" 2>&1 &
    pids+=($!)
done
synced() { cmp -s "$work/a/Quillpad.dat" "$work/b/Quillpad.dat"; }
wait_for 60 synced || fail "Syncthing did not bring the file to B: $(tail -5 "$work/st-b.log")"

# B: a second display and a second prefix, copied from A's.
display_a=$DISPLAY
prefix_a=$WINEPREFIX
n=$((${DISPLAY#:} + 1))
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
display_b=:$n
rm -rf "$work/prefix-b"
cp -a "$prefix_a" "$work/prefix-b"
on() {  # on a|b COMMAND...: runs it against that PC's display and prefix
    if [ "$1" = a ]; then DISPLAY=$display_a WINEPREFIX=$prefix_a "${@:2}"; else DISPLAY=$display_b WINEPREFIX=$work/prefix-b "${@:2}"; fi
}
on b wait_for 10 xdotool getdisplaygeometry >/dev/null || fail "no display for B"
for side in a b; do
    (cd "$work/$side" && on "$side" wine "$exe" 2>>"$work/wine-$side.log") &
    pids+=($!)
done
two_memos_on() { [ "$(on "$1" memo_windows | wc -l)" -eq 2 ]; }
wait_for 30 two_memos_on a || fail "A does not show the two memos"
wait_for 30 two_memos_on b || fail "B does not show the two memos"
sleep 1

# edit SIDE MEMO TEXT: double-click the text of the memo that is MEMO-th from
# the left (all of it is selected), type, "OK". A memo that a merge changed is
# a new window: the order of windows is not that of the memos.
edit() {
    local w
    w=$(for w in $(on "$1" memo_windows); do
            eval "$(on "$1" xdotool getwindowgeometry --shell "$w")"
            echo "$X $w"
        done | sort -n | sed -n "$2p" | cut -d' ' -f2)
    eval "$(on "$1" xdotool getwindowgeometry --shell "$w")"
    on "$1" xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click --repeat 2 --delay 80 1
    sleep 0.5
    on "$1" xdotool type --delay 20 "$3"
    on "$1" xdotool mousemove $((X + WIDTH - 40)) $((Y + HEIGHT - 8)) click 1
}
add_memo() {
    local tray
    tray=$(on "$1" xdotool search --onlyvisible --name '^Wine System Tray$' | head -1)
    eval "$(on "$1" xdotool getwindowgeometry --shell "$tray")"
    on "$1" xdotool mousemove $((X + 13)) $((Y + HEIGHT - 13)) click --repeat 2 --delay 80 1
}
holds() { LC_ALL=C grep -q "$2" "$work/$1/Quillpad.dat"; }
case $scenario in
    different) edit a 1 "from A" & other=$!; edit b 2 "from B"; wait $other; expected=("from A" "from B"); memos=2 ;;
    turns)
        edit a 1 "from A"
        wait_for 30 holds b "from A" || fail "A's edit did not reach B"
        sleep 2
        edit b 2 "from B"; expected=("from A" "from B"); memos=2 ;;
    same) edit a 1 "from A" & other=$!; edit b 1 "from B"; wait $other; expected=("from A" "from B"); memos=3 ;;
    add) add_memo a & other=$!; edit b 1 "from B"; wait $other; expected=("from B" "$(printf '\x83\x5f\x83\x75')"); memos=3 ;;
    *) fail "no scenario $scenario" ;;
esac

settled() {
    for side in a b; do
        for text in "${expected[@]}"; do holds "$side" "$text" || return 1; done
        [ -z "$(ls "$work/$side" | grep -v '^Quillpad.dat$' | grep -v '^backup$')" ] || return 1
        [ "$(on "$side" memo_windows | wc -l)" -eq "$memos" ] || return 1
    done
    # Each PC keeps its own version of a memo both changed, the other's beside it.
    [ "$scenario" = same ] || synced
}
wait_for 60 settled || fail "no agreement: A $(ls "$work/a"), B $(ls "$work/b"), memos $(on a memo_windows | wc -l)/$(on b memo_windows | wc -l)"
sleep 3
settled || fail "the agreement did not last"
for side in a b; do
    [ -z "$(on "$side" xdotool search --onlyvisible --name '^Quillpad$' 2>/dev/null)" ] || fail "$side showed a box"
    on "$side" screen_shot "$work/screen-$side.png" $(on "$side" memo_windows) >/dev/null
done

# What each screen holds is what its exit writes: stop the sync, end both, read both files.
for pid in "${pids[@]:0:2}"; do kill "$pid" 2>/dev/null || true; done
sleep 1
cp "$work/a/Quillpad.dat" "$work/synced.dat"
for side in a b; do
    on "$side" bash -c "source '$(dirname "$0")/lib.sh'; QP_PID=; choose_from_tray_menu x" || fail "$side: no exit"
done
sleep 2
for side in a b; do
    for text in "${expected[@]}"; do holds "$side" "$text" || fail "$side's screen lacks $text"; done
    [ "$(grep -c '^\[MEMO_TAB_START\]' "$work/$side/Quillpad.dat")" -eq "$memos" ] || fail "$side's screen: not $memos memos"
done
echo "$scenario: both files and both screens hold ${expected[*]} in $memos memos; no box, no conflict copy left"
