# Sourced by the end-to-end tests: real Quillpad.exe, real X input via xdotool.
# They run inside test.sh's environment (WINEPREFIX, DISPLAY, Japanese locale).
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/env.sh"
qp_wine_env

fail() { echo "FAIL: $*" >&2; exit 1; }
# A program left running, whatever ended the script, would hold CTest's
# output pipe until the timeout. A script that made monitors of its own gives
# the display and the Wine server back as they were.
trap 'rc=$?; kill -9 "${QP_PID:-}" 2>/dev/null || true; [ -z "${QP_TEST_DISPLAY:-}" ] || back_to_test_display; exit $rc' EXIT

# on_monitors MONITOR...: the next starts see these monitors (WIDTHxHEIGHT+X+Y,
# the first the primary) on a display of their own, with a fresh Wine server.
on_monitors() {
    QP_TEST_DISPLAY=${QP_TEST_DISPLAY:-$DISPLAY}
    [ -z "${QP_XVFB_PID:-}" ] || kill "$QP_XVFB_PID"
    qp_virtual_display "$@"
    qp_wine_server
}
back_to_test_display() {
    kill "$QP_XVFB_PID" 2>/dev/null || true
    DISPLAY=$QP_TEST_DISPLAY qp_wine_server
}

# write_memos FILE "LEFT TOP WIDTH HEIGHT CAPTION"...: a data file of these memos, each with one tab.
write_memos() {
    local file=$1 memo x y w h caption
    shift
    for memo in "$@"; do
        read -r x y w h caption <<< "$memo"
        printf '%s\r\n' "[MEMO_TAB_START]" "RECT_TOP-$y" "RECT_LEFT-$x" "RECT_BOTTOM-$((y + h))" "RECT_RIGHT-$((x + w))" \
            BACK_CAPTION_COLOR-11162880 TEXT_CAPTION_COLOR-16777215 "CAPTION-$caption" "[MEMO_START]" MEMO_TAB_TITLE-t text \
            "[MEMO_END]" "[MEMO_TAB_END]" >> "$file"
    done
}

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds. The arguments are
# expanded once: what must be looked at anew at each try goes in a function.
wait_for() {
    local limit=$(( $1 * 10 )); shift
    for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
    return 1
}

visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
tray_window() { xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -1; }
has_tray_window() { [ -n "$(tray_window)" ]; }

# start_quillpad EXE [FOLDER]: starts it in FOLDER, an empty data folder, or
# a fresh one; sets QP_PID.
start_quillpad() {
    QP_EXE=$(realpath "$1")
    QP_WORK=${2:-$(mktemp -d)}
    cd "$QP_WORK"
    restart_quillpad
}
# restart_quillpad: starts it again in the same data folder. QP_PROGRAM_DEBUG
# is the program's WINEDEBUG, QP_PROGRAM_OUTPUT the file its output goes to.
restart_quillpad() {
    env WINEDEBUG="${QP_PROGRAM_DEBUG:-$WINEDEBUG}" wine "$QP_EXE" 2>>"${QP_PROGRAM_OUTPUT:-/dev/stderr}" &
    QP_PID=$!
    wait_for 20 has_tray_window || fail "no tray icon"
}

# The tray icon's centre in the lower left corner of Wine's tray window: TRAY_X, TRAY_Y.
find_tray_icon() {
    eval "$(xdotool getwindowgeometry --shell "$(tray_window)")"
    TRAY_X=$((X + 13)); TRAY_Y=$((Y + HEIGHT - 13))
}

# unnamed_since BEFORE: the visible windows not among BEFORE that have no name,
# as menus and the version dialog; not a message box that opened meanwhile
# (its caption is the program's name).
unnamed_since() {
    local w name
    for w in $(comm -13 <(echo "$1") <(visible_windows)); do
        name=$(xdotool getwindowname "$w" 2>/dev/null) && [ -z "$name" ] && echo "$w"
    done
    return 0
}

# open_menu X Y [BUTTON]: clicks there (right button by default) and waits for
# a menu; sets MENU to it and X, Y, WIDTH, HEIGHT to its place. The tray icon's tip is a new
# window too, but a low one. Menu items are chosen with the mouse: Wine's
# unmanaged windows do not take the keyboard focus from the pointer.
open_menu() {
    local before
    before=$(visible_windows)
    xdotool mousemove "$1" "$2" click "${3:-3}"
    menu_window() {
        local w
        for w in $(unnamed_since "$before"); do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            [ "$HEIGHT" -gt 30 ] && { echo "$w"; return 0; }
        done
        return 1
    }
    wait_for 10 menu_window >/dev/null || fail "no menu opened at $1,$2; windows before: $before; now: $(visible_windows)"
    MENU=$(menu_window)
    eval "$(xdotool getwindowgeometry --shell "$MENU")"
}

# The last item of the menu that open_menu found: its centre is LAST_X, LAST_Y.
last_item() { LAST_X=$((X + 20)); LAST_Y=$((Y + HEIGHT - 12)); }

# choose_from_tray_menu KEY: opens the tray menu and clicks the item of this
# access key. Items are 17 pixels high, separators 9, below a 3-pixel border.
# A script may define menu_stuck KEY ITEM_X ITEM_Y, called when the menu stays
# open: true when it has done what closes it.
choose_from_tray_menu() {
    local offset
    case $1 in
        d) offset=11 ;; a) offset=28 ;; f) offset=54 ;; o) offset=71 ;; r) offset=88 ;; v) offset=114 ;;
        x) offset=131 ;;
        *) fail "no tray menu item $1" ;;
    esac
    find_tray_icon
    open_menu "$TRAY_X" "$TRAY_Y"
    local menu=$MENU item_x=$((X + 20)) item_y=$((Y + offset))
    xdotool mousemove "$item_x" "$item_y" sleep 0.2 click 1
    menu_closed() { gone "$menu"; }
    wait_for 5 menu_closed ||
        { declare -F menu_stuck >/dev/null && menu_stuck "$1" "$item_x" "$item_y" && wait_for 5 menu_closed; } ||
        fail "the tray menu stayed open"
}

# The program's message boxes have its file name as caption.
question_box() { BOX=$(xdotool search --onlyvisible --name '^Quillpad$' 2>/dev/null | head -1); [ -n "$BOX" ]; }
# answer_box yes|no|ok: clicks that button of the open box BOX ("はい"
# and "いいえ" stand 86 pixels left and right of the box's centre, "OK" at it).
answer_box() {
    eval "$(xdotool getwindowgeometry --shell "$BOX")"
    local offset=-86
    [ "$1" = no ] && offset=86
    [ "$1" = ok ] && offset=0
    xdotool mousemove $((X + WIDTH / 2 + offset)) $((Y + HEIGHT - 31)) sleep 0.1 click 1
    wait_for 5 gone "$BOX" || fail "the question stayed open after \"$1\""
}

# wait_exit: waits for the program to end, at most 15 seconds; its exit code must be 0.
wait_exit() {
    running() { kill -0 "$QP_PID" 2>/dev/null; }
    stopped() { ! running; }
    wait_for 15 stopped || fail "the program did not end"
    local rc=0
    wait "$QP_PID" || rc=$?
    [ "$rc" -eq 0 ] || fail "exit code $rc"
}

# exit_quillpad: "終了(&X)" from the tray menu; the program must end with code 0.
exit_quillpad() {
    choose_from_tray_menu x
    wait_exit
}

# wait_window NAME: waits for a visible window with this exact name; sets WINDOW.
wait_window() {
    found() { WINDOW=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1); [ -n "$WINDOW" ]; }
    wait_for 10 found "$1" || fail "no window \"$1\""
}

# gone WINDOW: true when the window is no longer shown.
gone() { ! visible_windows | grep -qx "$1"; }

# The frame Wine draws around a captioned dialog's client area (left, top,
# right, bottom); the X window of an unmanaged window includes it.
DIALOG_FRAME=${DIALOG_FRAME:-"3 22 3 3"}

# dialog_point WINDOW WIDTH HEIGHT X Y: the screen point of X, Y in the dialog
# units of a template WIDTH by HEIGHT units large, scaled to the client area
# as it is shown; sets PX and PY.
dialog_point() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    set -- "$@" $DIALOG_FRAME
    local width=$((WIDTH - $6 - $8)) height=$((HEIGHT - $7 - $9))
    PX=$((X + $6 + width * $4 / $2)); PY=$((Y + $7 + height * $5 / $3))
}

# click_at WINDOW WIDTH HEIGHT X Y: a left click there (see dialog_point).
click_at() {
    dialog_point "$@"
    xdotool mousemove "$PX" "$PY" sleep 0.2 click 1
    sleep 0.5
}

# window_shot WINDOW FILE: the window's own contents as PNG. Taken from the
# window rather than the screen: on Xvfb, without a window manager, a dialog
# opened on top of another one at the same place reads black from the root.
window_shot() {
    [ -n "$2" ] || return 0
    sleep 0.5
    xwd -id "$1" -silent | convert xwd:- "$2"
    echo "screenshot: $2"
}

# screen_shot FILE WINDOW...: the whole screen, each window painted over it
# from its own contents at its place (the root reads black where dialogs
# overlap), at half size.
screen_shot() {
    [ -n "$1" ] || return 0
    local out=$1 w args=()
    shift
    sleep 0.5
    xwd -root -silent | convert xwd:- "$out"
    for w in "$@"; do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        xwd -id "$w" -silent | convert xwd:- "$out.$w.png"
        args+=("$out.$w.png" -geometry "+$X+$Y" -composite)
    done
    convert "$out" "${args[@]}" -resize 50% "$out"
    for w in "$@"; do rm -f "$out.$w.png"; done
    echo "screenshot: $out"
}

# The visible memo windows (their title is the program's name), in creation order.
memo_windows() { { xdotool search --onlyvisible --name '^クイルパッド$' 2>/dev/null || true; } | sort -n; }
has_memo() { [ -n "$(memo_windows)" ]; }
# memo_geometry WINDOW: sets X, Y, WIDTH, HEIGHT of the window on the screen.
memo_geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }
