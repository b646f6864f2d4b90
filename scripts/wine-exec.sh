#!/usr/bin/env bash
# Runs a Windows program under Wine with the test environment (test.sh sets
# WINEPREFIX and DISPLAY); its exit code is the program's.
source "$(dirname "$0")/env.sh"
qp_wine_env
exec wine "$@"
