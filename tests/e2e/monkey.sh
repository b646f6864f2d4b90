#!/usr/bin/env bash
# A long random session with real input: memos added from the tray and by hot
# key, edited (typing, Tab, Enter; OK, "×", Escape, Enter in the caption, a tab
# added while editing), collapsed and expanded, dragged and resized, tabs
# selected, every command of the memo menu with both answers to the delete
# questions, the colour, options and version dialogs, "全削除(&D)".
#     monkey.sh [--no-faults] [--box-glitches] EXE HANDS SECONDS [SEED]
# HANDS is monkey_hands.exe. Unless --no-faults, saves fail meanwhile: at
# random moments and for random spans the data file is read-only, held by
# another program, or (where a small disk can be mounted for the data folder)
# the disk is full; "ファイルに保存できません。" is answered after a random
# delay, and the session goes on acting while it is up, "終了(&X)" included.
# Escape and Enter must end a memo's edit mode then too, and a box that
# opens while the tray menu is open must not hold the menu; with
# --box-glitches the session counts these and goes on.
# The seed is printed; the same seed makes the same choices again, as far as
# the program answers as before. It passes when no message box appeared that
# the session did not ask for or that a failed save did not explain, every
# word committed while the file could be written reached it at once and
# every word committed meanwhile with the next commit after the last fault,
# no dropped word did, Wine's heap checks found nothing, the program was alive
# until "終了(&X)" ended it with code 0, and a start and an exit without
# changes wrote the same data file again, byte for byte.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
faults=1 glitches_ok=""
while [ $# -gt 0 ]; do
    case $1 in
        --no-faults) faults="" ;;
        --box-glitches) glitches_ok=1 ;;
        *) break ;;
    esac
    shift
done
exe=$1
hands=$(realpath "$2")
seconds=${3:-60}
seed=${4:-$RANDOM}
RANDOM=$seed
echo "monkey: seed $seed, $seconds seconds, $([ -n "$faults" ] && echo with || echo without) failing saves"

# The choices are made in this shell, never in a subshell, which would draw
# the same numbers again: roll N sets R to 0 .. N-1, between A B to A .. B.
roll() { R=$((RANDOM % $1)); }
between() { R=$(($1 + RANDOM % ($2 - $1 + 1))); }

step=0
UNSTUCK=0 THROWN=0
declare -A done_count=()
note() { printf '%5d %5ds  %s\n' "$step" "$SECONDS" "$*" >> "$LOG"; }
# The log, Wine's output of the program and, after a failure, the data file
# and a picture of every window; the data folder may be a disk unmounted at the end.
OUT=$(mktemp -d)
LOG=$OUT/monkey.log
: > "$LOG"
trap 'rc=$?
      if [ "$rc" -ne 0 ]; then
          echo "seed $seed; the last actions:"; tail -n 25 "$LOG"
          for w in $(visible_windows); do
              echo "window $w \"$(xdotool getwindowname "$w" 2>&1)\" $(xdotool getwindowgeometry "$w" 2>&1 | tail -n +2 | tr -s "\n " " ")"
              window_shot "$w" "$OUT/window-$w.png" >/dev/null 2>&1 || true
          done
          cp "$QP_WORK"/Quillpad.* "$OUT" 2>/dev/null || true
          echo "log, Wine output, data file and window pictures: $OUT"
      fi
      kill -9 "${QP_PID:-}" ${HOLDER:-} 2>/dev/null || true
      if [ -n "${DISK:-}" ]; then cd /; sleep 0.5; umount "$DISK" 2>/dev/null || umount -l "$DISK"; fi
      exit $rc' EXIT

# geom WINDOW: sets X, Y, WIDTH, HEIGHT; false when the window is gone.
geom() {
    local shell
    shell=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
    eval "$shell"
}
memos() { mapfile -t MEMOS < <(memo_windows); }
memo_count() { memo_windows | wc -l; }
more_memos_than() { [ "$(memo_count)" -gt "$1" ]; }
under_pointer() { xdotool mousemove "$1" "$2" getmouselocation --shell | sed -n 's/^WINDOW=//p'; }
compact() { [ "$HEIGHT" -lt 40 ]; }
# on_top WINDOW X Y ...: these points are on the screen and no other window
# covers them there. Snapping may leave a memo partly off the screen.
on_top() {
    local w=$1; shift
    while [ $# -gt 0 ]; do
        [ "$1" -ge 0 ] && [ "$1" -lt "$SCREEN_WIDTH" ] && [ "$2" -ge 0 ] && [ "$2" -lt "$SCREEN_HEIGHT" ] &&
            [ "$(under_pointer "$1" "$2")" = "$w" ] || return 1
        shift 2
    done
}
# The tray icon can be covered by a memo that snapping carried there.
tray_free() { on_top "$(tray_window)" "$TRAY_X" "$TRAY_Y"; }

# aim REGION: a memo and a point of it that no other window covers: M, MX, MY,
# and the memo's X, Y, WIDTH, HEIGHT. REGION: body, caption, tabs or corner
# (the lower right one, for resizing); a collapsed memo has only its caption.
aim() {
    memos
    [ "${#MEMOS[@]}" -gt 0 ] || return 1
    for _ in 1 2 3 4; do
        roll "${#MEMOS[@]}"; M=${MEMOS[R]}
        geom "$M" || continue
        if compact && [ "$1" != caption ]; then continue; fi
        case $1 in
            # The text, clear of its scroll bars: a click there is the bar's.
            body) [ "$WIDTH" -ge 45 ] && [ "$HEIGHT" -ge 80 ] || continue
                  between $((X + 10)) $((X + WIDTH - 30)); MX=$R
                  between $((Y + 25)) $((Y + HEIGHT - 50)); MY=$R ;;
            caption) between $((X + 10)) $((X + WIDTH - 10)); MX=$R; MY=$((Y + 4)) ;;
            # Where the strip is while shown; hidden, that place is the text's scroll bar.
            tabs) hidden "$M" && continue
                  between $((X + 5)) $((X + WIDTH / 2)); MX=$R; MY=$((Y + HEIGHT - 10)) ;;
            corner) MX=$((X + WIDTH - 2)); MY=$((Y + HEIGHT - 2)) ;;
        esac
        on_top "$M" "$MX" "$MY" && return 0
    done
    return 1
}

# The delete questions are on when Quillpad.ini says so or is missing.
questions_on() { ! grep -q $'^DEL_CHECK_FLAG-0\r$' Quillpad.ini 2>/dev/null; }
# question_open: a message box open that is not "ファイルに保存できません。"; sets BOX.
question_open() {
    local b
    for b in $(xdotool search --onlyvisible --name '^Quillpad$' 2>/dev/null); do
        if [ -n "$faults" ]; then
            classify "$b" || continue
            ! failure_box "$b" || continue
        fi
        BOX=$b
        return 0
    done
    return 1
}

# Failing saves

# Each fault in place and the second it goes; the last second one was in place.
declare -A FAULT_END=() FAULTS_PUT=()
FAULT_LAST=-100
FAULT_KINDS=(read-only held)
faulted() { [ "${#FAULT_END[@]}" -gt 0 ]; }
# The held data file is held by monkey_hands, which lets go at the end of its input.
HOLDER="" HOLD_IN=""
put_fault() {
    case $1 in
        read-only) [ -e Quillpad.dat ] || return 0; chmod a-w Quillpad.dat ;;
        held)
            [ -e Quillpad.dat ] || return 0
            rm -f "$OUT/hold-in"; mkfifo "$OUT/hold-in"
            wine "$hands" hold Quillpad.dat < "$OUT/hold-in" > "$OUT/hold-out" 2>/dev/null &
            HOLDER=$!
            exec {HOLD_IN}> "$OUT/hold-in"
            holding() { grep -aq '^held' "$OUT/hold-out" || ! kill -0 "$HOLDER" 2>/dev/null; }
            wait_for 20 holding || fail "monkey_hands did not hold the data file"
            if ! grep -aq '^held' "$OUT/hold-out"; then
                # The program had the file open just then.
                note "  could not hold the data file: $(tr -d '\r' < "$OUT/hold-out")"
                exec {HOLD_IN}>&-; wait "$HOLDER" || true; HOLDER=""
                return 0
            fi ;;
        full-disk) dd if=/dev/zero of=filler bs=64k 2>/dev/null || true ;;
    esac
    between 2 20
    FAULT_END[$1]=$((SECONDS + R)) FAULT_LAST=$SECONDS
    FAULTS_PUT[$1]=$((${FAULTS_PUT[$1]:-0} + 1))
    note "fault: $1 for $R s"
}
remove_fault() {
    case $1 in
        read-only) chmod u+w Quillpad.dat ;;
        held) exec {HOLD_IN}>&-; wait "$HOLDER" || fail "monkey_hands failed to let go"; HOLDER="" ;;
        full-disk) rm -f filler ;;
    esac
    unset "FAULT_END[$1]"
    FAULT_LAST=$SECONDS
    note "fault over: $1"
}
# Before each action: faults that have had their time go, now and then a new one comes.
fault_weather() {
    local k
    for k in "${!FAULT_END[@]}"; do
        if [ "$SECONDS" -ge "${FAULT_END[$k]}" ]; then remove_fault "$k"; fi
    done
    if faulted; then FAULT_LAST=$SECONDS; fi
    roll 100
    if [ "$R" -lt 10 ]; then
        roll "${#FAULT_KINDS[@]}"; k=${FAULT_KINDS[R]}
        [ -n "${FAULT_END[$k]:-}" ] || put_fault "$k"
    fi
}

# A failed save's box: "ファイルに保存できません。", or at "終了(&X)" the question of a rescue file.
failure_box() { [ "${BOX_KIND[$1]:-}" = cannot-save ] || [ "${BOX_KIND[$1]:-}" = rescue-question ]; }
# Each message box by window: cannot-save, question, or other and its text,
# as monkey_hands reads it; the second each failure box is to be answered.
declare -A BOX_KIND=() ANSWER_AT=() NEW_MEMO_BOX=()
FAILURE_BOXES=0 FAILURES_ANSWERED=0
# classify BOX: false while monkey_hands does not see it yet.
classify() {
    [ -z "${BOX_KIND[$1]:-}" ] || return 0
    geom "$1" || return 1
    local x y w h kind
    while read -r x y w h kind; do
        [ "$x $y $w $h" = "$X $Y $WIDTH $HEIGHT" ] || continue
        BOX_KIND[$1]=$kind
        failure_box "$1" || return 0
        note "  \"ファイルに保存できません。\" $1"
        LAST_FAILURE_BOX=$1
        faulted || [ $((SECONDS - FAULT_LAST)) -le 5 ] ||
            fail "\"ファイルに保存できません。\" while the data file could be written"
        between 0 8
        ANSWER_AT[$1]=$((SECONDS + R))
        FAILURE_BOXES=$((FAILURE_BOXES + 1))
        return 0
    done < <(wine "$hands" boxes Quillpad.exe 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r')
    return 1
}
classify_all() { local b; for b in $(xdotool search --onlyvisible --name '^Quillpad$' 2>/dev/null); do classify "$b" || true; done; }
# added_or_told COUNT BOXES: more memos than COUNT, or a new memo's first
# save failed: it shows once its failure box is answered.
added_or_told() {
    more_memos_than "$1" && return 0
    [ -n "$faults" ] && faulted || return 1
    classify_all
    [ "$FAILURE_BOXES" -gt "$2" ] || return 1
    ! wait_for 2 more_memos_than "$1" || return 0
    note "  the new memo waits for its failure box"
    NEW_MEMO_BOX[$LAST_FAILURE_BOX]=1
}
# The memos that wait for their failure box to show.
waiting_memos() {
    local b n=0
    for b in "${!NEW_MEMO_BOX[@]}"; do
        if gone "$b"; then unset "NEW_MEMO_BOX[$b]"; else n=$((n + 1)); fi
    done
    echo "$n"
}
# answer_failures due|all: clicks "OK" in the failure boxes whose time has
# come, or in all of them; one that memos cover waits until then.
answer_failures() {
    local b pass
    classify_all
    # Boxes open at the same place: the one below shows once the one on top is answered.
    for pass in 1 2 3; do
        for b in "${!ANSWER_AT[@]}"; do
            [ "$1" = all ] || [ "$SECONDS" -ge "${ANSWER_AT[$b]}" ] || continue
            answer_failure_box "$b" "$1"
        done
        [ "$1" = all ] && [ "${#ANSWER_AT[@]}" -gt 0 ] || break
    done
}
# answer_failure_box BOX [all]: a click on its "OK". A click on a part that shows
# brings a covered box to the front; when none shows, the memos over it go
# with "all".
answer_failure_box() {
    if gone "$1" || ! geom "$1"; then unset "ANSWER_AT[$1]"; return 0; fi
    # "終了(&X)" asks whether to end with a rescue file: "いいえ" stays.
    local offset=0
    [ "${BOX_KIND[$1]:-}" != rescue-question ] || offset=86
    local ok_x=$((X + WIDTH / 2 + offset)) ok_y=$((Y + HEIGHT - 31))
    if ! on_top "$1" "$ok_x" "$ok_y"; then
        if on_top "$1" $((X + 8)) $((Y + 8)) || on_top "$1" $((X + WIDTH - 30)) $((Y + 8)); then
            xdotool click 1
            sleep 0.3
        fi
        if ! on_top "$1" "$ok_x" "$ok_y" && { [ "${2:-}" != all ] || ! uncover "$1" "$ok_x" "$ok_y"; }; then
            note "  failure box $1 covered"
            return 0
        fi
    fi
    note "answer the failure box $1"
    xdotool mousemove "$ok_x" "$ok_y" sleep 0.1 click 1
    wait_for 5 gone "$1" || fail "the failure box stayed open after OK"
    unset "ANSWER_AT[$1]"
    FAILURES_ANSWERED=$((FAILURES_ANSWERED + 1))
}

# A failure box is open.
box_up() { local b; for b in "${!ANSWER_AT[@]}"; do gone "$b" || return 0; done; return 1; }
# editing MEMO: the memo is in edit mode, as monkey_hands sees it.
editing() {
    geom "$1" || return 1
    wine "$hands" editing Quillpad.exe 2>/dev/null | tr -d '\r' | grep -qxF -- "$X $Y $WIDTH $HEIGHT"
}

# The program's own output under Wine's heap checks, with the exceptions it met.
heap_clean() {
    local trouble
    trouble=$(grep -aiE 'err:|warn:heap|unhandled|page fault' "$OUT/wine.log" | head -5) || true
    [ -z "$trouble" ] || fail "Wine reports: $trouble$(grep -a 'warn:seh' "$OUT/wine.log" | tail -3 | sed 's/^/; /')"
}
# answer yes|no: clicks that button of the open question.
answer() {
    note "  answer $1"
    answer_box "$1"
}
# answer_question: waits for the question the last command must ask and answers it
# at random; sets ANSWER.
answer_question() {
    wait_for 5 question_open || fail "no question"
    [ "${BOX_KIND[$BOX]:-question}" = question ] || fail "a message box instead of the question: ${BOX_KIND[$BOX]}"
    roll 2
    if [ "$R" -eq 0 ]; then ANSWER=yes; else ANSWER=no; fi
    answer "$ANSWER"
}

# A unique word: "m", the step, "z" and letters; no word is part of another.
word() {
    local letters=abcdefghijklnopqrstuvwxy w
    between 2 6
    w="m${step}z"
    for _ in $(seq "$R"); do roll 24; w+=${letters:R:1}; done
    WORDS+=("$w")
    WORD=$w
}
in_file() { grep -qF "$1" Quillpad.dat 2>/dev/null; }
# The committed words the data file must hold whenever it could be written
# since their commit, by memo. A new edit of the memo may have replaced them
# (a double-click selects a word), deleting its tabs removes them.
declare -A KEPT=()
forget_memo() { local w; for w in "${!KEPT[@]}"; do [ "${KEPT[$w]}" != "$1" ] || unset "KEPT[$w]"; done; }
all_kept_in_file() {
    local data w
    data=$(cat Quillpad.dat 2>/dev/null) || return 1
    for w in "${!KEPT[@]}"; do [[ $data == *"$w"* ]] || { MISSING=$w; return 1; }; done
}

# A free point of the screen, away from the memos and the tray: FX, FY.
free_point() {
    local p w
    for p in "1010 755" "1010 400" "600 755" "300 755" "1010 100" "600 60" "300 400"; do
        read -r FX FY <<< "$p"
        local covered=""
        for w in $(memo_windows); do
            geom "$w" || continue
            if [ "$FX" -ge "$X" ] && [ "$FX" -lt $((X + WIDTH)) ] && [ "$FY" -ge "$Y" ] && [ "$FY" -lt $((Y + HEIGHT)) ]; then
                covered=1; break
            fi
        done
        if [ -z "$covered" ]; then return 0; fi
    done
    FX=1023 FY=767
}

# Windows that are neither the memos nor there at the start: menus, dialogs, boxes.
strays() {
    local w
    for w in $(comm -13 <(echo "$BASELINE") <(visible_windows)); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = クイルパッド ] && continue
        ! failure_box "$w" || continue
        if geom "$w" && [ "$HEIGHT" -gt 30 ]; then echo "$w"; fi
    done
}

# After every action: the program runs, no message box is open that nobody
# asked for, and a menu left open is closed with a click elsewhere.
settle() {
    local w name menus
    kill -0 "$QP_PID" 2>/dev/null || fail "the program has ended"
    heap_clean
    question_open && fail "a message box nobody asked for is open: ${BOX_KIND[$BOX]:-}"
    for _ in 1 2 3; do
        menus=""
        for w in $(strays); do
            name=$(xdotool getwindowname "$w" 2>/dev/null || true)
            # A failure box that opened after question_open looked, once monkey_hands sees it.
            if [ "$name" = Quillpad ] && [ -n "$faults" ] && wait_for 3 classify "$w" &&
                failure_box "$w"; then
                continue
            fi
            [ -n "$name" ] && fail "window \"$name\" left open${BOX_KIND[$w]:+: ${BOX_KIND[$w]}}"
            menus+=" $w"
        done
        [ -z "$menus" ] && return 0
        free_point
        note "  close a menu at $FX,$FY"
        xdotool mousemove "$FX" "$FY" click 1
        sleep 0.3
    done
    fail "a menu stays open"
}

# Actions

add_by_tray() {
    tray_free || return 0
    local before
    before=$(memo_count)
    note "add by a double-click on the tray icon"
    xdotool mousemove "$TRAY_X" "$TRAY_Y" click --repeat 2 --delay 80 1
    wait_for 10 added_or_told "$before" "$FAILURE_BOXES" || fail "no memo added by the tray icon"
    sleep 0.6  # past the double-click time
}

# A hot key reaches the program while one of its windows has the keyboard:
# a click on the tray icon brings the memos to the front first.
add_by_hot_key() {
    tray_free || return 0
    local before
    before=$(memo_count)
    note "add by Ctrl+Shift+Insert"
    xdotool mousemove "$TRAY_X" "$TRAY_Y" click 1 sleep 0.6 key ctrl+shift+Insert
    wait_for 10 added_or_told "$before" "$FAILURE_BOXES" || fail "no memo added by the hot key"
}

front() {
    note "all memos to the front by Shift+F2"
    xdotool key shift+F2
    sleep 0.3
}

# What the session knows of each memo (by window): its tab count and whether
# its tabs are hidden. Every memo starts with one tab, shown.
declare -A TABS=() HIDDEN=()
tabs_of() { echo "${TABS[$1]:-1}"; }
hidden() { [ "${HIDDEN[$1]:-0}" -eq 1 ]; }
tab_added() { TABS[$1]=$(($(tabs_of "$1") + 1)); HIDDEN[$1]=0; }

# Double-click the body, type, leave edit mode one of five ways (or by "OK"
# with "commit"); the words reach the data file exactly when they were
# committed, or with the first commit after the last fault. A title is typed
# anew: its editor takes no more than it shows.
edit() {
    aim body || return 0
    # The caption, the title, "OK", "×" and the label (a right click there opens the memo menu).
    local bottom=$((Y + HEIGHT - 12))
    on_top "$M" $((X + WIDTH / 2)) $((Y + 8)) $((X + 100)) "$bottom" $((X + WIDTH - 50)) "$bottom" \
        $((X + WIDTH - 14)) "$bottom" $((X + 30)) "$bottom" || return 0
    note "edit $M at $MX,$MY"
    forget_memo "$M"
    WORDS=()
    local title="" part
    xdotool mousemove "$MX" "$MY" click --repeat 2 --delay 80 1
    sleep 0.4
    between 1 3
    for part in $(seq "$R"); do
        word; xdotool type --delay 20 "$WORD"
        roll 3
        case $R in 0) xdotool key Tab ;; 1) xdotool key Return ;; esac
    done
    roll 4
    if [ "$R" -eq 0 ]; then
        word; note "  caption $WORD"
        xdotool mousemove $((X + WIDTH / 2)) $((Y + 8)) click 1 type --delay 20 "$WORD"
    fi
    roll 4
    if [ "$R" -eq 0 ] && ! hidden "$M"; then
        title="m${step}z"; note "  title $title"
        xdotool mousemove $((X + 100)) "$bottom" click 1 key End shift+Home type --delay 20 "$title"
    fi
    local committed=1
    roll 5
    if [ "${1:-}" = commit ]; then R=0; fi
    case $R in
        0) note "  OK ${WORDS[*]}"; xdotool mousemove $((X + WIDTH - 50)) "$bottom" click 1 ;;
        1) note "  Enter in the caption ${WORDS[*]}"; xdotool mousemove $((X + WIDTH / 2)) $((Y + 8)) click 1 key Return
           keys_reached_memo Return ;;
        2) note "  tab added while editing ${WORDS[*]}"
           open_menu $((X + 30)) "$bottom"
           xdotool mousemove $((X + 20)) $((Y + 11)) sleep 0.2 click 1
           tab_added "$M" ;;
        3) committed=""; note "  × ${WORDS[*]}"; xdotool mousemove $((X + WIDTH - 14)) "$bottom" click 1 ;;
        4) committed=""; note "  Escape ${WORDS[*]}"; xdotool key Escape
           keys_reached_memo Escape ;;
    esac
    title_line() { [ -z "$title" ] || grep -qx "MEMO_TAB_TITLE-$title"$'\r' Quillpad.dat; }
    if [ -n "$committed" ]; then
        local w
        for w in "${WORDS[@]}"; do KEPT[$w]=$M; done
        if faulted; then
            note "  kept until the data file can be written"
        else
            wait_for 5 all_kept_in_file ||
                fail "a committed word is missing from the data file: $MISSING (this commit: ${WORDS[*]})"
            wait_for 5 title_line || fail "the committed title $title is not in the data file"
        fi
    else
        sleep 0.3
        local w
        for w in "${WORDS[@]}"; do
            if in_file "$w"; then fail "a dropped word reached the data file: $w"; fi
        done
        if [ -n "$title" ] && title_line; then fail "the dropped title $title reached the data file"; fi
    fi
}

# keys_reached_memo KEY: a key that the memo's dialog handles ended its edit
# mode, failure box or not.
KEYS_LOST=0
keys_reached_memo() {
    [ -n "$faults" ] || return 0
    sleep 0.3
    editing "$M" || return 0
    classify_all
    box_up || fail "$1 left $M in edit mode"
    [ -n "$glitches_ok" ] || fail "$1 left $M in edit mode while \"ファイルに保存できません。\" was open"
    KEYS_LOST=$((KEYS_LOST + 1))
    note "  $1 lost under the failure box: the button instead"
    if [ "$1" = Escape ]; then
        xdotool mousemove $((X + WIDTH - 14)) "$bottom" click 1
    else
        xdotool mousemove $((X + WIDTH - 50)) "$bottom" click 1
    fi
}

# A failure box that opens while the tray menu is open holds the menu, and
# the menu keeps the pointer: neither takes a click. Enter answers the box;
# the item is chosen again, from the menu opened anew if it closed.
MENUS_HELD=0
menu_stuck() {
    [ -z "${MENU_STUCK_AGAIN:-}" ] || return 1
    [ -n "$faults" ] || return 1
    classify_all
    box_up || return 1
    [ -n "$glitches_ok" ] || fail "the tray menu stayed open under \"ファイルに保存できません。\""
    MENUS_HELD=$((MENUS_HELD + 1))
    note "  the tray menu held by a failure box: Enter, then the item again"
    xdotool key Return
    box_gone() { ! box_up; }
    wait_for 5 box_gone || fail "a failure box under the open tray menu takes neither a click nor Enter"
    FAILURES_ANSWERED=$((FAILURES_ANSWERED + 1))
    sleep 0.3
    if ! menu_closed; then
        xdotool mousemove "$2" "$3" sleep 0.2 click 1
    else
        MENU_STUCK_AGAIN=1 choose_from_tray_menu "$1"
    fi
}

# Right click on the body, a tab (which selects it) or the caption, then one command.
memo_menu() {
    local regions=(body body tabs caption)
    roll 4
    aim "${regions[R]}" || return 0
    local memo=$M was_compact=""
    if compact; then was_compact=1; fi
    open_menu "$MX" "$MY"
    roll 8
    case $R in
        0) note "menu of $memo: add a tab"; xdotool mousemove $((X + 20)) $((Y + 11)) sleep 0.2 click 1
           tab_added "$memo" ;;
        1) note "menu of $memo: delete a tab of $(tabs_of "$memo")"
           xdotool mousemove $((X + 20)) $((Y + 28)) sleep 0.2 click 1
           # Greyed while the tabs are hidden (the menu stays open).
           hidden "$memo" && return 0
           ANSWER=yes
           if questions_on; then answer_question; fi
           if [ "$ANSWER" = yes ]; then TABS[$memo]=$(($(tabs_of "$memo") - 1)); forget_memo "$memo"; fi
           if [ "$(tabs_of "$memo")" -eq 0 ]; then
               wait_for 5 gone "$memo" || fail "the memo without tabs was not deleted"
           else
               sleep 0.3
               if gone "$memo"; then fail "the memo was deleted with tabs left"; fi
           fi ;;
        2) note "menu of $memo: delete the memo"
           xdotool mousemove $((X + 20)) $((Y + 54)) sleep 0.2 click 1
           ANSWER=yes
           if questions_on; then answer_question; fi
           if [ "$ANSWER" = yes ]; then
               forget_memo "$memo"
               wait_for 5 gone "$memo" || fail "the memo was not deleted"
           else
               sleep 0.3
               if gone "$memo"; then fail "the memo was deleted after \"no\""; fi
           fi ;;
        *) note "menu of $memo: properties"; properties "$memo" "$was_compact" ;;
    esac
    sleep 0.3
}

# properties MEMO COMPACT [ITEM]: the submenu "プロパティ(&O)": colours, tabs
# shown (greyed while the memo is collapsed), wrapping, on top, fixed; ITEM
# or one at random.
properties() {
    last_item
    open_menu "$LAST_X" "$LAST_Y" 1
    case ${3:-random} in
        fixed) R=4 ;;
        *) roll 5 ;;
    esac
    case $R in
        0) note "  colours"; xdotool mousemove $((X + 20)) $((Y + 11)) sleep 0.2 click 1; colour_dialog ;;
        1) note "  tabs shown"; xdotool mousemove $((X + 20)) $((Y + 37)) sleep 0.2 click 1
           if [ -z "$2" ]; then HIDDEN[$1]=$((1 - ${HIDDEN[$1]:-0})); fi ;;
        2) note "  wrapping"; xdotool mousemove $((X + 20)) $((Y + 54)) sleep 0.2 click 1 ;;
        3) note "  always on top"; xdotool mousemove $((X + 20)) $((Y + 71)) sleep 0.2 click 1 ;;
        4) note "  fixed"; xdotool mousemove $((X + 20)) $((Y + 88)) sleep 0.2 click 1 ;;
    esac
}

# The colour dialog (163 by 105 units): OK, "ｷｬﾝｾﾙ", or "デフォルトに戻す"
# with its question first.
colour_dialog() {
    wait_window "色設定"
    local dialog=$WINDOW
    roll 3
    if [ "$R" -eq 0 ]; then
        note "  back to the default colours"
        click_at "$dialog" 163 105 125 70
        answer_question
    fi
    roll 2
    if [ "$R" -eq 0 ]; then note "  OK"; click_at "$dialog" 163 105 100 92; else note "  cancel"; click_at "$dialog" 163 105 142 92; fi
    wait_for 10 gone "$dialog" || fail "the colour dialog stayed open"
}

collapse() {
    aim caption || return 0
    local was=$HEIGHT
    note "double-click the caption of $M (height $was)"
    xdotool mousemove "$MX" "$MY" click --repeat 2 --delay 80 1
    toggled() {
        geom "$M" || return 1
        if [ "$was" -lt 40 ]; then [ "$HEIGHT" -ge 40 ]; else [ "$HEIGHT" -lt 40 ]; fi
    }
    wait_for 5 toggled || fail "the memo neither collapsed nor expanded: height $was, now $HEIGHT"
    sleep 0.5
}

# A drag by the body or the caption toward a place on the screen below the
# tray window, in steps of about 15 pixels.
drag() {
    roll 2
    if [ "$R" -eq 0 ]; then aim body || return 0; else aim caption || return 0; fi
    between 0 $((SCREEN_WIDTH - WIDTH)); local left=$R
    between 60 $((SCREEN_HEIGHT - HEIGHT)); local top=$R
    note "drag $M from $X,$Y to $left,$top"
    local dx=$((left - X)) dy=$((top - Y)) s dragged=$M steps
    steps=$(( (${dx#-} > ${dy#-} ? ${dx#-} : ${dy#-}) / 15 + 1 ))
    xdotool mousemove "$MX" "$MY" mousedown 1
    for s in $(seq "$steps"); do xdotool mousemove $((MX + dx * s / steps)) $((MY + dy * s / steps)); done
    xdotool mouseup 1
    sleep 0.3
    if gone "$dragged" || follows_pointer "$dragged"; then unstick "$dragged"; fi
    if gone "$dragged"; then
        # A memo that breaks free of an edge jumps by the pointer's motion
        # since it snapped, ahead of the pointer: past the screen's edge it
        # is off the screen until the next start puts it back.
        note "  $dragged went off the screen"
        THROWN=$((THROWN + 1))
    fi
}

# follows_pointer MEMO: the memo still moves with the pointer: its drag goes on.
follows_pointer() {
    geom "$1" || return 1
    local before="$X $Y"
    xdotool mousemove_relative -- 9 9
    sleep 0.2
    geom "$1" || return 1
    xdotool mousemove_relative -- -9 -9
    [ "$X $Y" != "$before" ]
}

# A memo carried off the screen in the middle of a drag (see above) is
# unmapped by Wine, with no window manager, and its drag may lose the pointer:
# it never hears the button go up and goes on, out of sight. A click on
# another memo and Escape end such a drag and put the memo back where it
# started; a memo whose drag had ended stays off the screen.
unstick() {
    note "  the drag of $1 may go on: a click on another memo, Escape"
    if [ "$(memo_count)" -eq 0 ]; then add_by_tray; fi
    aim caption || aim body || fail "no memo to click: the drag of $1 goes on"
    xdotool mousemove "$MX" "$MY" click 1 sleep 0.3 key Escape
    sleep 0.6  # past the double-click time
    showing() { ! gone "$1"; }
    if wait_for 2 showing "$1"; then UNSTUCK=$((UNSTUCK + 1)); fi
    ! follows_pointer "$1" || fail "the drag of $1 goes on after Escape"
}

resize() {
    aim corner || return 0
    # Room for the new size, and no negative pointer position on the way.
    [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ "$X" -le $((SCREEN_WIDTH - 200)) ] && [ "$Y" -le $((SCREEN_HEIGHT - 100)) ] ||
        return 0
    between 200 $((450 < SCREEN_WIDTH - X ? 450 : SCREEN_WIDTH - X)); local width=$R
    between 100 $((350 < SCREEN_HEIGHT - Y ? 350 : SCREEN_HEIGHT - Y)); local height=$R
    note "resize $M from ${WIDTH}x$HEIGHT to ${width}x$height"
    local to_x=$((X + width - 2)) to_y=$((Y + height - 2))
    xdotool mousemove "$MX" "$MY" mousedown 1 sleep 0.05 mousemove $(((MX + to_x) / 2)) $(((MY + to_y) / 2)) \
        sleep 0.05 mousemove "$to_x" "$to_y" sleep 0.05 mouseup 1
    sleep 0.3
}

select_tab() {
    aim tabs || return 0
    note "click the tabs of $M at $MX,$MY"
    xdotool mousemove "$MX" "$MY" click 1
    sleep 0.6
}

# A failure box that opened while a dialog of the tray menu was up runs in
# that dialog's loop, whose end waits for the box: the item stays grey until
# then, though the dialog is gone. HELD[KEY]: the boxes that hold its item.
declare -A HELD=()
# hold_item KEY BOXES: the failure boxes open now that are not among BOXES.
hold_item() {
    local b
    classify_all
    HELD[$1]=""
    for b in "${!ANSWER_AT[@]}"; do [[ $2 == *" $b "* ]] || HELD[$1]+=" $b"; done
}
item_held() { local b; for b in ${HELD[$1]:-}; do gone "$b" || return 0; done; return 1; }

# The options dialog (179 by 255 units, its page at 11, 30): the check boxes
# "タブを複数行", "削除確認を行う" and "編集時 メモを選択" at random, then OK,
# "ｷｬﾝｾﾙ" or Escape.
options() {
    tray_free && ! item_held o || return 0
    note "options"
    local before=" ${!ANSWER_AT[*]} "
    choose_from_tray_menu o
    wait_window "オプション設定"
    local dialog=$WINDOW y boxes=$FAILURE_BOXES
    for y in 56 72 86; do
        roll 3
        if [ "$R" -eq 0 ]; then note "  check box at $y"; click_at "$dialog" 179 255 29 "$y"; fi
    done
    roll 3
    case $R in
        0) note "  OK"; click_at "$dialog" 179 255 117 242 ;;
        1) note "  cancel"; click_at "$dialog" 179 255 157 242 ;;
        2) note "  Escape"; click_at "$dialog" 179 255 21 12; xdotool key Escape ;;
    esac
    # "OK" on a full disk: the dialog's own failure box first.
    if [ -n "$faults" ] && ! wait_for 3 gone "$dialog"; then
        classify_all
        if [ "$FAILURE_BOXES" -gt "$boxes" ]; then answer_failure_box "$LAST_FAILURE_BOX" all; fi
    fi
    wait_for 10 gone "$dialog" || fail "the options dialog stayed open"
    hold_item o "$before"
}

version() {
    tray_free && ! item_held v || return 0
    note "version"
    local before dialog boxes=" ${!ANSWER_AT[*]} "
    before=$(visible_windows)
    choose_from_tray_menu v
    new_window() { dialog=$(unnamed_since "$before" | head -1); [ -n "$dialog" ]; }
    wait_for 10 new_window || fail "the version dialog did not open"
    DIALOG_FRAME="3 3 3 3" click_at "$dialog" 95 72 45 62
    wait_for 10 gone "$dialog" || fail "OK did not close the version dialog"
    hold_item v "$boxes"
}

delete_all() {
    tray_free || return 0
    note "delete all"
    choose_from_tray_menu d
    answer_question
    if [ "$ANSWER" = yes ]; then
        THROWN=0 KEPT=() NEW_MEMO_BOX=()
        wait_for 5 bash -c '! xdotool search --onlyvisible --name "^クイルパッド$" >/dev/null' ||
            fail "memos left after \"全削除(&D)\""
    fi
}

# "終了(&X)" while the data file cannot be written: the program stays.
quit_unwritable() {
    faulted && tray_free || return 0
    note "exit while the data file cannot be written"
    choose_from_tray_menu x
    sleep 1
    kill -0 "$QP_PID" 2>/dev/null || fail "the program ended although it could not save"
}

# The program's USER and GDI objects, as monkey_hands counts them.
objects() { wine "$hands" objects Quillpad.exe 2>/dev/null | tr -d '\r'; }

# uncover WINDOW X Y: a memo over this point of the window is dragged off it
# (by 320 pixels up or down), and unfixed first when it does not move.
uncover() {
    local w to_y
    for _ in 1 2 3 4; do
        on_top "$@" && return 0
        w=$(under_pointer "$2" "$3")
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = クイルパッド ] || return 1
        if [ "$3" -lt $((SCREEN_HEIGHT / 2)) ]; then to_y=$(($3 + 320)); else to_y=$(($3 - 320)); fi
        note "drag $w off $2,$3"
        xdotool mousemove "$2" "$3" mousedown 1 sleep 0.1 mousemove "$2" $((($3 + to_y) / 2)) sleep 0.1 \
            mousemove "$2" "$to_y" sleep 0.1 mouseup 1
        sleep 0.3
        on_top "$@" && return 0
        [ "$(under_pointer "$2" "$3")" = "$w" ] || continue
        note "  unfix it"
        open_menu "$2" "$3"
        properties "$w" "" fixed
    done
    return 1
}
# Before "終了(&X)": no memo over the tray icon.
uncover_tray() { uncover "$(tray_window)" "$TRAY_X" "$TRAY_Y" || fail "a memo stays on the tray icon"; }

# The session

# The data folder is a small disk of its own where mounting is allowed: it can be filled.
DISK=$(mktemp -d)
if [ -n "$faults" ] && mount -t tmpfs -o size=1m quillpad-monkey "$DISK" 2>/dev/null; then
    FAULT_KINDS+=(full-disk)
else
    rmdir "$DISK"; DISK=""
fi
QP_PROGRAM_DEBUG=warn+heap,warn+seh QP_PROGRAM_OUTPUT=$OUT/wine.log
start_quillpad "$exe" "${DISK:-$(mktemp -d)}"
BASELINE=$(visible_windows)
read -r SCREEN_WIDTH SCREEN_HEIGHT < <(xdotool getdisplaygeometry)
find_tray_icon
end=$((SECONDS + seconds))
while [ "$SECONDS" -lt "$end" ]; do
    step=$((step + 1))
    if [ -n "$faults" ]; then fault_weather; answer_failures due; fi
    if [ $((step % 100)) -eq 0 ]; then note "objects with $(memo_count) memos: $(objects)"; fi
    count=$(memo_count)
    # Weights: adding while there are few memos, everything else on the memos.
    roll 100
    if [ "${#ANSWER_AT[@]}" -gt 0 ] && [ "$R" -lt 40 ]; then
        # While a failure box is up: what could pull the ground from under it.
        box_up_actions=(edit edit add_by_tray add_by_hot_key memo_menu memo_menu options delete_all quit_unwritable)
        roll "${#box_up_actions[@]}"; action=${box_up_actions[R]}
    elif [ "$count" -eq 0 ] || { [ "$count" -lt 3 ] && [ "$R" -lt 30 ]; }; then
        roll 3; if [ "$R" -eq 0 ]; then action=add_by_hot_key; else action=add_by_tray; fi
    elif [ "$R" -lt 4 ] && [ "$count" -lt 12 ]; then action=add_by_tray
    elif [ "$R" -lt 6 ] && [ "$count" -lt 12 ]; then action=add_by_hot_key
    elif [ "$R" -lt 8 ]; then action=front
    elif [ "$R" -lt 30 ]; then action=edit
    elif [ "$R" -lt 55 ]; then action=memo_menu
    elif [ "$R" -lt 64 ]; then action=collapse
    elif [ "$R" -lt 76 ]; then action=drag
    elif [ "$R" -lt 81 ]; then action=resize
    elif [ "$R" -lt 88 ]; then action=select_tab
    elif [ "$R" -lt 95 ]; then action=options
    elif [ "$R" -lt 98 ]; then action=version
    elif [ "$R" -lt 99 ]; then action=quit_unwritable
    else action=delete_all
    fi
    "$action"
    done_count[$action]=$((${done_count[$action]:-0} + 1))
    settle
done

# The end: half the time a new memo first, whose first save fails; then the
# last fault goes, and one more commit saves everything kept meanwhile. The
# failure boxes are answered, or "終了(&X)" comes while they are up, after
# "全削除(&D)" at times.
if [ -n "$faults" ]; then
    roll 2
    if [ "$R" -eq 0 ]; then
        step=$((step + 1))
        faulted || put_fault read-only
        add_by_tray
        settle
    fi
    for k in "${!FAULT_END[@]}"; do remove_fault "$k"; done
    sleep 1
    classify_all  # a failure box of the last moment counts as explained
    step=$((step + 1))
    edit commit
    settle
    roll 3
    case $R in
        0) answer_failures all
           [ "${#ANSWER_AT[@]}" -eq 0 ] || fail "failure boxes left covered: ${!ANSWER_AT[*]}" ;;
        1) step=$((step + 1)); delete_all; settle ;;
    esac
    note "the end with $(waiting_memos) new memos waiting for their failure boxes"
fi
note "objects with $(memo_count) memos: $(objects)"
objects_at_end=$(objects)
uncover_tray
# Those off the screen come back at the next start, those waiting for their
# failure box are kept.
count=$(( $(memo_count) + THROWN + $(waiting_memos) ))
note "exit with $count memos"
exit_quillpad
[ ! -e Quillpad.dat.tmp ] || fail "a temp file was left behind"
stored=$(grep -c '^\[MEMO_TAB_START\]' Quillpad.dat || true)
[ "$stored" -eq "$count" ] || fail "$count memos on the screen, $stored in the data file"
all_kept_in_file || fail "a committed word is missing from the data file at the end: $MISSING"
heap_clean
cp Quillpad.dat session.dat
restart_quillpad
has_all() { [ "$(memo_count)" -eq "$count" ]; }
wait_for 20 has_all || fail "$(memo_count) of $count memos restored"
exit_quillpad
cmp -s Quillpad.dat session.dat || fail "a start and an exit changed the data file: $(cmp Quillpad.dat session.dat)"
heap_clean
summary=""
for a in "${!done_count[@]}"; do summary+=" $a ${done_count[$a]},"; done
echo "monkey: seed $seed, $step actions in $seconds s:${summary%,}; $UNSTUCK drags ended by Escape," \
    "$THROWN memos off the screen;" \
    "$count memos kept, the data file a fixed point"
if [ -n "$faults" ]; then
    summary=""
    for k in "${!FAULTS_PUT[@]}"; do summary+=" $k ${FAULTS_PUT[$k]},"; done
    echo "monkey: faults${summary%,}; $FAILURE_BOXES failure boxes, $FAILURES_ANSWERED answered by the session;" \
        "Escape or Enter lost under a failure box $KEYS_LOST times, the tray menu held by one $MENUS_HELD times"
fi
echo "monkey: at the end $objects_at_end; the log: $LOG"
