#!/usr/bin/env bash
# A long random session with real input: memos added from the tray and by hot
# key, edited (typing, Tab, Enter; OK, "×", Escape, Enter in the caption, a tab
# added while editing), collapsed and expanded, dragged and resized, tabs
# selected, every command of the memo menu with both answers to the delete
# questions, the colour, options and version dialogs, "全削除(&D)".
#     monkey.sh EXE SECONDS [SEED]
# The seed is printed; the same seed makes the same choices again, as far as
# the program answers as before. It passes when no message box appeared that
# the session did not ask for, every committed word reached the data file and
# no dropped one did, the program was alive until "終了(&X)" ended it with
# code 0, and a start and an exit without changes wrote the same data file
# again, byte for byte.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
exe=$1
seconds=${2:-60}
seed=${3:-$RANDOM}
RANDOM=$seed
echo "monkey: seed $seed, $seconds seconds"

# The choices are made in this shell, never in a subshell, which would draw
# the same numbers again: roll N sets R to 0 .. N-1, between A B to A .. B.
roll() { R=$((RANDOM % $1)); }
between() { R=$(($1 + RANDOM % ($2 - $1 + 1))); }

step=0
UNSTUCK=0 THROWN=0
declare -A done_count=()
note() { printf '%5d %5ds  %s\n' "$step" "$SECONDS" "$*" >> "$LOG"; }
# A failure leaves the log, the data file and a picture of every window in the data folder.
trap 'rc=$?
      if [ "$rc" -ne 0 ] && [ -n "${LOG:-}" ]; then
          echo "seed $seed; the last actions:"; tail -n 25 "$LOG"
          for w in $(visible_windows); do
              echo "window $w \"$(xdotool getwindowname "$w" 2>&1)\" $(xdotool getwindowgeometry "$w" 2>&1 | tail -n +2 | tr -s "\n " " ")"
              window_shot "$w" "$QP_WORK/window-$w.png" >/dev/null 2>&1 || true
          done
          echo "log, data file and window pictures: $QP_WORK"
      fi
      kill -9 "${QP_PID:-}" 2>/dev/null || true
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
            body) between $((X + 10)) $((X + WIDTH - 10)); MX=$R
                  between $((Y + 25)) $((Y + HEIGHT - 30)); MY=$R ;;
            caption) between $((X + 10)) $((X + WIDTH - 10)); MX=$R; MY=$((Y + 4)) ;;
            tabs) between $((X + 5)) $((X + WIDTH / 2)); MX=$R; MY=$((Y + HEIGHT - 10)) ;;
            corner) MX=$((X + WIDTH - 2)); MY=$((Y + HEIGHT - 2)) ;;
        esac
        on_top "$M" "$MX" "$MY" && return 0
    done
    return 1
}

# The delete questions are on when Quillpad.ini says so or is missing.
questions_on() { ! grep -q $'^DEL_CHECK_FLAG-0\r$' Quillpad.ini 2>/dev/null; }
# answer yes|no: clicks that button of the open question.
answer() {
    note "  answer $1"
    answer_box "$1"
}
# answer_question: waits for the question the last command must ask and answers it
# at random; sets ANSWER.
answer_question() {
    wait_for 5 question_box || fail "no question"
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
all_in_file() { local w; for w in "${WORDS[@]}"; do in_file "$w" || return 1; done; }

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
        if geom "$w" && [ "$HEIGHT" -gt 30 ]; then echo "$w"; fi
    done
}

# After every action: the program runs, no message box is open that nobody
# asked for, and a menu left open is closed with a click elsewhere.
settle() {
    local w left
    kill -0 "$QP_PID" 2>/dev/null || fail "the program has ended"
    question_box && fail "a message box nobody asked for is open"
    for _ in 1 2 3; do
        left=$(strays)
        [ -z "$left" ] && return 0
        for w in $left; do
            local name
            name=$(xdotool getwindowname "$w" 2>/dev/null || true)
            [ -n "$name" ] && fail "window \"$name\" left open"
        done
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
    wait_for 10 more_memos_than "$before" || fail "no memo added by the tray icon"
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
    wait_for 10 more_memos_than "$before" || fail "no memo added by the hot key"
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

# Double-click the body, type, leave edit mode one of five ways; the words
# reach the data file exactly when they were committed. A title is typed anew:
# its editor takes no more than it shows.
edit() {
    aim body || return 0
    # The caption, the title, "OK", "×" and the label (a right click there opens the memo menu).
    local bottom=$((Y + HEIGHT - 12))
    on_top "$M" $((X + WIDTH / 2)) $((Y + 8)) $((X + 100)) "$bottom" $((X + WIDTH - 50)) "$bottom" \
        $((X + WIDTH - 14)) "$bottom" $((X + 30)) "$bottom" || return 0
    note "edit $M at $MX,$MY"
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
    case $R in
        0) note "  OK ${WORDS[*]}"; xdotool mousemove $((X + WIDTH - 50)) "$bottom" click 1 ;;
        1) note "  Enter in the caption ${WORDS[*]}"; xdotool mousemove $((X + WIDTH / 2)) $((Y + 8)) click 1 key Return ;;
        2) note "  tab added while editing ${WORDS[*]}"
           open_menu $((X + 30)) "$bottom"
           xdotool mousemove $((X + 20)) $((Y + 11)) sleep 0.2 click 1
           tab_added "$M" ;;
        3) committed=""; note "  × ${WORDS[*]}"; xdotool mousemove $((X + WIDTH - 14)) "$bottom" click 1 ;;
        4) committed=""; note "  Escape ${WORDS[*]}"; xdotool key Escape ;;
    esac
    title_line() { [ -z "$title" ] || grep -qx "MEMO_TAB_TITLE-$title"$'\r' Quillpad.dat; }
    if [ -n "$committed" ]; then
        wait_for 5 all_in_file || fail "committed words missing from the data file: ${WORDS[*]}"
        wait_for 5 title_line || fail "the committed title $title is not in the data file"
    else
        sleep 0.3
        local w
        for w in "${WORDS[@]}"; do
            if in_file "$w"; then fail "a dropped word reached the data file: $w"; fi
        done
        if [ -n "$title" ] && title_line; then fail "the dropped title $title reached the data file"; fi
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
           if [ "$ANSWER" = yes ]; then TABS[$memo]=$(($(tabs_of "$memo") - 1)); fi
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

# The options dialog (179 by 225 units, its page at 11, 30): the check boxes
# "タブを複数行", "削除確認を行う" and "編集時 メモを選択" at random, then OK,
# "ｷｬﾝｾﾙ" or Escape.
options() {
    tray_free || return 0
    note "options"
    choose_from_tray_menu o
    wait_window "オプション設定"
    local dialog=$WINDOW y
    for y in 56 72 86; do
        roll 3
        if [ "$R" -eq 0 ]; then note "  check box at $y"; click_at "$dialog" 179 225 29 "$y"; fi
    done
    roll 3
    case $R in
        0) note "  OK"; click_at "$dialog" 179 225 117 212 ;;
        1) note "  cancel"; click_at "$dialog" 179 225 157 212 ;;
        2) note "  Escape"; click_at "$dialog" 179 225 21 12; xdotool key Escape ;;
    esac
    wait_for 10 gone "$dialog" || fail "the options dialog stayed open"
}

version() {
    tray_free || return 0
    note "version"
    local before dialog
    before=$(visible_windows)
    choose_from_tray_menu v
    new_window() { dialog=$(comm -13 <(echo "$before") <(visible_windows) | head -1); [ -n "$dialog" ]; }
    wait_for 10 new_window || fail "the version dialog did not open"
    DIALOG_FRAME="3 3 3 3" click_at "$dialog" 95 72 45 62
    wait_for 10 gone "$dialog" || fail "OK did not close the version dialog"
}

delete_all() {
    tray_free || return 0
    note "delete all"
    choose_from_tray_menu d
    answer_question
    if [ "$ANSWER" = yes ]; then
        THROWN=0
        wait_for 5 bash -c '! xdotool search --onlyvisible --name "^クイルパッド$" >/dev/null' ||
            fail "memos left after \"全削除(&D)\""
    fi
}

# Before "終了(&X)": a memo over the tray icon is dragged off it, and
# unfixed first when it does not move.
uncover_tray() {
    local w
    for _ in 1 2 3 4; do
        tray_free && return 0
        w=$(under_pointer "$TRAY_X" "$TRAY_Y")
        note "drag $w off the tray icon"
        xdotool mousemove "$TRAY_X" "$TRAY_Y" mousedown 1 sleep 0.1 mousemove 300 200 sleep 0.1 \
            mousemove 500 400 sleep 0.1 mouseup 1
        sleep 0.3
        tray_free && return 0
        note "  unfix it"
        open_menu "$TRAY_X" "$TRAY_Y"
        properties "$w" "" fixed
    done
    fail "a memo stays on the tray icon"
}

# The session

start_quillpad "$exe"
LOG=$QP_WORK/monkey.log
: > "$LOG"
BASELINE=$(visible_windows)
read -r SCREEN_WIDTH SCREEN_HEIGHT < <(xdotool getdisplaygeometry)
find_tray_icon
end=$((SECONDS + seconds))
while [ "$SECONDS" -lt "$end" ]; do
    step=$((step + 1))
    count=$(memo_count)
    # Weights: adding while there are few memos, everything else on the memos.
    roll 100
    if [ "$count" -eq 0 ] || { [ "$count" -lt 3 ] && [ "$R" -lt 30 ]; }; then
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
    elif [ "$R" -lt 99 ]; then action=version
    else action=delete_all
    fi
    "$action"
    done_count[$action]=$((${done_count[$action]:-0} + 1))
    settle
done

uncover_tray
count=$(( $(memo_count) + THROWN ))  # those off the screen come back at the next start
note "exit with $count memos"
exit_quillpad
[ ! -e Quillpad.dat.tmp ] || fail "a temp file was left behind"
stored=$(grep -c '^\[MEMO_TAB_START\]' Quillpad.dat || true)
[ "$stored" -eq "$count" ] || fail "$count memos on the screen, $stored in the data file"
cp Quillpad.dat session.dat
restart_quillpad
has_all() { [ "$(memo_count)" -eq "$count" ]; }
wait_for 20 has_all || fail "$(memo_count) of $count memos restored"
exit_quillpad
cmp -s Quillpad.dat session.dat || fail "a start and an exit changed the data file: $(cmp Quillpad.dat session.dat)"
summary=""
for a in "${!done_count[@]}"; do summary+=" $a ${done_count[$a]},"; done
echo "monkey: seed $seed, $step actions in $seconds s:${summary%,}; $UNSTUCK drags ended by Escape," \
    "$THROWN memos off the screen;" \
    "$count memos kept, the data file a fixed point"
