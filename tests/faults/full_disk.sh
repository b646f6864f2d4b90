#!/usr/bin/env bash
# Runs the full-disk case of save_fault_tests on a small tmpfs of its own.
# Where mounting is refused (not root, no such right in a container), the
# test is reported as skipped, with the reason: exit code 77.
#
#   full_disk.sh SAVE_FAULT_TESTS_EXE
set -euo pipefail
source "$(dirname "$0")/../../scripts/env.sh"
qp_wine_env

disk=$(mktemp -d)
if ! why=$(mount -t tmpfs -o size=256k quillpad-full-disk "$disk" 2>&1); then
    rmdir "$disk"
    echo "SKIPPED: cannot mount a small tmpfs at $disk: ${why:-not allowed}"
    exit 77
fi
# A program still ending may hold the folder a moment: detach it then.
trap 'umount "$disk" 2>/dev/null || umount -l "$disk"; rmdir "$disk"' EXIT
out=$(QP_SMALL_DISK="Z:${disk//\//\\}" wine "$1" --gtest_filter='*FullDisk' 2>&1) && rc=0 || rc=$?
echo "$out"
if grep -q '\[  SKIPPED \]' <<<"$out"; then
    echo "FAIL: the test did not find its small disk" >&2
    exit 1
fi
exit "$rc"
