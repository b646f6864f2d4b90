# Sourced by the other scripts: paths, the Wine environment and the virtual display.
QP_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QP_BUILD=${QP_BUILD:-$QP_ROOT/build}

# Wine must run in a Japanese locale: its ANSI code page is then 932 (Shift-JIS).
qp_wine_env() {
    export LANG=ja_JP.UTF-8
    export LC_ALL=ja_JP.UTF-8
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
}

# Creates the Wine prefix $WINEPREFIX once: the dialog font name maps to the
# installed Japanese font, and a crash never waits behind a crash dialog.
# Windows are not left to a window manager: on a display without one, Wine
# would wait two seconds for it at every window that is hidden.
qp_prefix() {
    [ -f "$WINEPREFIX/.quillpad-ready-2" ] && return 0
    mkdir -p "$WINEPREFIX"
    echo "wine: creating prefix $WINEPREFIX" >&2
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d 'IPAGothic' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quillpad-ready-2"
}

# Starts a virtual display (1024 x 768, no window manager) and exports DISPLAY.
qp_virtual_display() {
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    QP_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "could not start Xvfb on $DISPLAY" >&2
    return 1
}

# qp_wine_session DIR: a Wine session for a run of programs in a fresh prefix
# DIR/wineprefix (DIR is emptied first) on a virtual display; the server and
# the display end when the calling script exits.
qp_wine_session() {
    qp_wine_env
    export WINEPREFIX=$1/wineprefix
    rm -rf "$1"
    mkdir -p "$1"
    unset DISPLAY
    qp_virtual_display
    trap qp_wine_session_end EXIT
    qp_prefix
    wineserver -p 600  # keep the server up between programs
    # Wine's system processes (services, plugplay, rpcss ...) stay up with the
    # server; start them now, away from the pipes a caller reads program output
    # from (CTest's), or the caller waits for them until the server ends.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

qp_wine_session_end() {
    wineserver -k 2>/dev/null || true
    [ -n "${QP_XVFB_PID:-}" ] && kill "$QP_XVFB_PID" 2>/dev/null || true
}

qp_screenshot() {  # qp_screenshot FILE.png
    xwd -root -silent | convert xwd:- "$1"
}
