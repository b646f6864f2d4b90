#!/usr/bin/env bash
# fuzz/run.sh SECONDS: builds the fuzz targets (clang, libFuzzer, ASan, UBSan)
# in build/fuzz and runs each for SECONDS seconds on its growing corpus.
# Exits non-zero on any finding; findings are kept in build/fuzz/findings.
set -euo pipefail
DURATION=${1:?usage: fuzz/run.sh SECONDS}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QP_BUILD:-$ROOT/build}/fuzz
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$ROOT/fuzz" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD" -- -j2 >"$BUILD/build.log" 2>&1 || { cat "$BUILD/build.log"; exit 1; }

status=0
for target in memo_reader settings_reader round_trip merge; do
    corpus=$BUILD/corpus/$target
    mkdir -p "$corpus" "$BUILD/findings"
    [ -d "$ROOT/fuzz/seeds/$target" ] && cp -n "$ROOT/fuzz/seeds/$target"/* "$corpus"/
    log=$BUILD/$target.log
    if "$BUILD/fuzz_$target" -max_total_time="$DURATION" -print_final_stats=1 \
        -artifact_prefix="$BUILD/findings/$target-" "$corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
        echo "fuzz_$target: ${runs} runs in ${DURATION} s, $cov, corpus $(ls "$corpus" | wc -l) inputs, no findings"
    else
        echo "fuzz_$target: FINDING (log: $log)"
        tail -40 "$log"
        status=1
    fi
done
exit $status
