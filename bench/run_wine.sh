#!/usr/bin/env bash
# Measures the memo windows under Wine and prints the figures: start-up with
# 100 to 1,000 memos against a floor of bare memo windows, and at 500 memos a
# commit, the peak working set, the exit and a held settings file; then one
# drag step against 100 to 1,000 memos beside the native snapping arithmetic;
# then loading 10 MB of long notes against the same bytes in small memos,
# and a wheel step and a switch of tabs on wrapped 1 MB tabs; then a save of
# 500 memos with and without a generation; opening the restore dialog with
# 121 generations of 5 MB; last, typing in the find window over 500 memos of
# 10 MB beside a plain memmem pass, and going to a match.
# Arguments go to the start-up benchmark: SIZES [STARTS [BEFORE_EXE]], e.g.
# 100,500 1, or 500 3 old/Quillpad.exe to run an earlier build side by side.
set -euo pipefail
before=${3:+$(realpath "$3")}
source "$(dirname "$0")/../scripts/env.sh"
"$QP_ROOT/scripts/build.sh"

# Every process from here on runs on one CPU, the shell's children included:
# a Wine program's round trips to its server cost far more across two CPUs,
# and would make the figures depend on how the two get scheduled.
taskset -cp 1 $$ >/dev/null

BENCH=$QP_BUILD/bench
qp_wine_session "$BENCH"
mkdir -p "$BENCH/start" "$BENCH/moving"

WINE_BENCH=$QP_BUILD/win32/bench/wine
echo "== Start-up, commit, memory, exit, held settings (Quillpad against the floor)"
(cd "$BENCH/start" &&
    timeout 540 wine "$WINE_BENCH/memo_start_bench.exe" "$(winepath -w "$QP_BUILD/win32/app/Quillpad.exe")" \
        ${1:+"$1"} ${2:+"$2"} ${before:+"$(winepath -w "$before")"})

echo
echo "== One drag step"
native=$("$QP_BUILD/native/bench/snap_bench" --benchmark_format=csv --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null |
    awk -F, '/_median"/ { split($1, name, /[\/_"]/); printf "%s:%s ", name[4], $3 }')
# shellcheck disable=SC2086 # one argument per size
(cd "$BENCH/moving" && timeout 120 wine "$WINE_BENCH/moving_bench.exe" $native)

echo
echo "== Long notes: 10 MB in 1 MB tabs against the same bytes in small memos; reading 1 MB tabs"
mkdir -p "$BENCH/long"
(cd "$BENCH/long" && timeout 300 wine "$WINE_BENCH/long_note_bench.exe")

echo
echo "== A save of 500 memos with and without a generation"
mkdir -p "$BENCH/generations"
(cd "$BENCH/generations" && timeout 120 wine "$WINE_BENCH/generation_bench.exe")

echo
echo "== The restore dialog with 121 generations of 5 MB"
mkdir -p "$BENCH/restore"
(cd "$BENCH/restore" && timeout 300 wine "$WINE_BENCH/restore_open_bench.exe")

echo
echo "== The find window over 500 memos of 3 tabs (10 MB), against memmem over the same bytes"
mkdir -p "$BENCH/find"
(cd "$BENCH/find" && timeout 300 wine "$WINE_BENCH/find_bench.exe" | iconv -f CP932 -t UTF-8)
