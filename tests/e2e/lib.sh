# Sourced by the end-to-end tests: real Quillpad.exe, real X input via xdotool.
# They run inside test.sh's environment (WINEPREFIX, DISPLAY, Japanese locale).
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/env.sh"
qp_wine_env

fail() { echo "FAIL: $*" >&2; exit 1; }

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() {
    local limit=$(( $1 * 10 )); shift
    for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
    return 1
}

visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
tray_window() { xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -1; }
has_tray_window() { [ -n "$(tray_window)" ]; }

# start_quillpad EXE: starts it in a fresh data folder and waits for its tray
# icon; sets QP_PID.
start_quillpad() {
    local exe
    exe=$(realpath "$1")
    QP_WORK=$(mktemp -d)
    cd "$QP_WORK"
    wine "$exe" &
    QP_PID=$!
    wait_for 20 has_tray_window || fail "no tray icon"
}

# open_tray_menu: right-clicks the icon in Wine's tray window until the tray
# menu is up; sets TRAY_X, TRAY_Y (where it was clicked) and MENU (the menu).
open_tray_menu() {
    local before
    eval "$(xdotool getwindowgeometry --shell "$(tray_window)")"
    TRAY_X=$((X + 10)); TRAY_Y=$((Y + HEIGHT / 2))
    for _ in 1 2 3; do
        before=$(visible_windows)
        # Coming from elsewhere, so that the press is not taken for a hover.
        xdotool mousemove 600 500 sleep 0.3 mousemove "$TRAY_X" "$TRAY_Y" sleep 0.3 click 3
        MENU=
        new_menu() { MENU=$(comm -13 <(echo "$before") <(visible_windows) | head -1); [ -n "$MENU" ]; }
        wait_for 5 new_menu && return 0
    done
    return 1
}

# choose_from_tray_menu KEY: opens the tray menu and types an item's access key.
choose_from_tray_menu() {
    open_tray_menu || fail "the tray menu did not open"
    eval "$(xdotool getwindowgeometry --shell "$MENU")"
    # With no window manager the keyboard focus follows the pointer.
    xdotool mousemove $((X + 20)) $((Y + 20)) sleep 0.3 key "$1"
}

# wait_window NAME: waits for a visible window with this exact name; sets WINDOW.
wait_window() {
    found() { WINDOW=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1); [ -n "$WINDOW" ]; }
    wait_for 10 found "$1" || fail "no window \"$1\""
}

# gone WINDOW: true when the window is no longer shown.
gone() { ! visible_windows | grep -qx "$1"; }

# dialog_point WINDOW WIDTH HEIGHT X Y: the screen point of X, Y in the dialog
# units of a template WIDTH by HEIGHT units large, scaled to the window as it
# is shown; sets PX and PY.
dialog_point() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    PX=$((X + WIDTH * $4 / $2)); PY=$((Y + HEIGHT * $5 / $3))
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

# exit_quillpad: "終了(&X)" from the tray menu; the program ends with code 0.
exit_quillpad() {
    local rc=0
    choose_from_tray_menu x
    wait "$QP_PID" || rc=$?
    [ "$rc" -eq 0 ] || fail "exit code $rc"
}
