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
    [ -f "$WINEPREFIX/.quillpad-ready-3" ] && return 0
    mkdir -p "$WINEPREFIX"
    echo "wine: creating prefix $WINEPREFIX" >&2
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d 'IPAGothic' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Through XRandR Wine sees one monitor per output, and the virtual display
    # has one; through Xinerama it sees the display's monitors.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quillpad-ready-3"
}

# qp_virtual_display [MONITOR...]: starts a virtual display without window
# manager and exports DISPLAY. Each MONITOR is WIDTHxHEIGHT+X+Y, the first one
# the primary; one X screen spans them, split with RandR monitors, which Wine
# shows as monitors of their own. None: one monitor of 1024 x 768.
qp_virtual_display() {
    local n=90 monitors=("${@:-1024x768+0+0}") m mw mh mx my width=0 height=0 output=screen
    for m in "${monitors[@]}"; do
        IFS='x+' read -r mw mh mx my <<< "$m"
        width=$(( mx + mw > width ? mx + mw : width )); height=$(( my + mh > height ? my + mh : height ))
    done
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    # Without -noreset the server would forget the monitors when xrandr leaves.
    Xvfb ":$n" -screen 0 "${width}x${height}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    QP_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "could not start Xvfb on $DISPLAY" >&2; return 1; }
    [ "${#monitors[@]}" -gt 1 ] || return 0
    for m in "${monitors[@]}"; do
        IFS='x+' read -r mw mh mx my <<< "$m"
        xrandr --setmonitor "M$mx.$my" "$mw/$((mw * 270 / 1024))x$mh/$((mh * 203 / 768))+$mx+$my" "$output" >/dev/null || return 1
        output=none
    done
}

# qp_wine_server: a fresh Wine server for the prefix, on the display in
# DISPLAY; Wine reads the monitors when its server starts. Wine's system
# processes (services, plugplay, rpcss, the desktop ...) stay up with the
# server; they start here, away from the pipes a caller reads program output
# from (CTest's), or the caller would wait for them until the server ends.
qp_wine_server() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wineserver -p 600 </dev/null >/dev/null 2>&1  # keep the server up between programs
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
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
    # The user's folders (Documents, Desktop...) are links to the Unix home,
    # which every session shares: a rescue file that one run leaves there
    # would show in another run's restore list. A session has folders of its own.
    for folder in "$WINEPREFIX"/drive_c/users/*/*; do
        if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
    done
    qp_wine_server
}

qp_wine_session_end() {
    wineserver -k 2>/dev/null || true
    [ -n "${QP_XVFB_PID:-}" ] && kill "$QP_XVFB_PID" 2>/dev/null || true
}

qp_screenshot() {  # qp_screenshot FILE.png
    xwd -root -silent | convert xwd:- "$1"
}
