#!/usr/bin/env bash
# The real program, killed with SIGKILL at random moments while kill_driver.exe
# commits edits through its memo windows (each commit saves at once), and
# started again after every kill: no kill may cost a memo or leave a mix of two
# saves (kill_driver.exe checks each one, see there).
#
#   kill_test.sh QUILLPAD_EXE DRIVER_EXE KILLS [SEED] [MEMOS]
#
# The same SEED gives the same data file, edits and kill moments (not the
# same timing of the program, so not the same moments within its saves).
set -euo pipefail
source "$(dirname "$0")/../e2e/lib.sh"

QP_EXE=$(realpath "$1")
driver_exe=$(realpath "$2")
kills=$3
seed=${4:-$((RANDOM))}
memos=${5:-200}
RANDOM=$seed
work=$(mktemp -d)
log=$work/driver.log
trap 'rc=$?; kill -9 ${QP_PID:-} ${driver_pid:-} 2>/dev/null || true
      [ $rc -eq 0 ] && rm -rf "$work" || echo "kept for a look: $work" >&2; exit $rc' EXIT
echo "kill test: $kills kills of a program with $memos memos, seed $seed"
cd "$work"
wine "$driver_exe" generate "$memos" "$seed" || fail "could not write the data file"

# A run of the program with its driver; the driver's checks end it when they fail.
start_run() {  # start_run round|last N
    wine "$QP_EXE" &
    QP_PID=$!
    wine "$driver_exe" "$@" </dev/null >>"$log" &
    driver_pid=$!
}
# driver_done: waits for the driver; its failure is the test's.
driver_done() {
    wait "$driver_pid" && return 0
    local why
    why=$(sed -n 's/^failed: //p' "$log" | iconv -f CP932 -t UTF-8 | tr -d '\r')
    fail "${why:-the driver failed: $(tail -3 "$log")}"
}
seen() { grep -aq "^run $round: $1" "$log"; }
up() { seen up; }
committing() { seen '.* memo windows'; }
pause() { sleep "$((RANDOM % $1)).$(printf '%03d' $((RANDOM % 1000)))"; }

started=$SECONDS
for round in $(seq "$kills"); do
    start_run round "$round"
    wait_for 120 up || { driver_done; fail "run $round: the driver found no program"; }
    if [ $((RANDOM % 4)) -eq 0 ]; then
        pause 4  # most often while the memos are loaded
    else
        wait_for 120 committing || { driver_done; fail "run $round never committed"; }
        # Commits follow each other back to back, a few tens of milliseconds
        # each, most of it saving.
        pause 1
    fi
    kill -9 "$QP_PID"
    wait "$QP_PID" 2>/dev/null || true
    driver_done
done
start_run last $((kills + 1))
driver_done
wait_exit

grep -aE "^(kill|run|exit)" "$log" > "$work/kills.txt" || true
awk -v seconds=$((SECONDS - started)) '
    /^kill/ {
        kills++; inCommit += /in a commit: yes/; temp += /temp file left: yes/; pending += /in progress/
        before += /: 0 commits returned; in a commit: no/
    }
    / memo windows after / { ms += $7; starts++ }
    END {
        printf "kills %d in %d s: before the first commit %d, inside a commit %d, ", kills, seconds, before, inCommit
        printf "inside a save (temp file left) %d; the file held the commit in progress %d. ", temp, pending
        printf "Start to all memo windows: %d ms on average\n", ms / starts
    }' "$work/kills.txt"
kills_seen=$(grep -c '^kill' "$work/kills.txt" || true)
[ "$kills_seen" -eq "$kills" ] || fail "$kills_seen kills checked of $kills"
grep -q '^exit' "$work/kills.txt" || fail "the last run did not end with its commits saved"
