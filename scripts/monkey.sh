#!/usr/bin/env bash
# The long random session by hand: monkey.sh [SECONDS [SEED]] builds
# Quillpad.exe and drives it with random real input for SECONDS (by default
# 30 minutes) on a virtual display of its own. The test run has a 60-second form.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$QP_ROOT/scripts/build.sh" --program
qp_wine_session "$QP_BUILD/monkey"
bash "$QP_ROOT/tests/e2e/monkey.sh" "$QP_BUILD/win32/app/Quillpad.exe" "${1:-1800}" ${2:+"$2"}
