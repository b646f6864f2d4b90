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

# start_quillpad EXE: starts it in a fresh data folder; sets QP_PID.
start_quillpad() {
    local exe
    exe=$(realpath "$1")
    QP_WORK=$(mktemp -d)
    cd "$QP_WORK"
    wine "$exe" &
    QP_PID=$!
}
