#!/usr/bin/env bash
# Builds Quillpad and starts it under Wine. The Wine prefix is $WINEPREFIX and the
# data folder (where Quillpad.dat, Quillpad.ini and key.ini live) $QUILLPAD_DATA_DIR;
# both default to folders under ${XDG_DATA_HOME:-~/.local/share}/quillpad.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$QP_ROOT/scripts/build.sh" --program

qp_wine_env
QP_HOME=${XDG_DATA_HOME:-$HOME/.local/share}/quillpad
export WINEPREFIX=${WINEPREFIX:-$QP_HOME/wineprefix}
DATA_DIR=${QUILLPAD_DATA_DIR:-$QP_HOME/data}
mkdir -p "$DATA_DIR"

if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
    unset DISPLAY
    qp_virtual_display
    trap 'kill "$QP_XVFB_PID" 2>/dev/null || true' EXIT
    VIRTUAL=1
fi
qp_prefix

cd "$DATA_DIR"
echo "Quillpad: data folder $DATA_DIR, Wine prefix $WINEPREFIX, display $DISPLAY"
wine "$QP_BUILD/win32/app/Quillpad.exe" &
pid=$!
if [ -n "${VIRTUAL:-}" ]; then
    shot=$QP_BUILD/screenshot.png
    sleep 5
    qp_screenshot "$shot"
    echo "Virtual display $DISPLAY; screenshot: $shot"
    echo "More screenshots: DISPLAY=$DISPLAY xwd -root -silent | convert xwd:- shot.png"
fi
wait "$pid"
