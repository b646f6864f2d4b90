#!/usr/bin/env bash
# Fails when a file of the program includes a folder above its own: each
# folder may include only itself and the folders below it.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A below=(
    [base]=""
    [win]="base"
    [store]="base"
    [res]=""
    [dialogs]="res win store base"
    [memo]="dialogs res win store base"
    [tray]="memo dialogs res win store base"
    [app]="tray memo dialogs res win store base"
)
bad=0
for folder in "${!below[@]}"; do
    allowed=" $folder ${below[$folder]} "
    while IFS=: read -r file line include; do
        target=${include#*\"}
        target=${target%%/*}
        [ -d "$target" ] || continue  # a system or same-folder header
        if [[ "$allowed" != *" $target "* ]]; then
            echo "$file:$line: $folder/ may not include $target/: $include"
            bad=1
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$folder"/* 2>/dev/null || true)
done
[ "$bad" -eq 0 ] && echo "layers: every include points down"
exit "$bad"
