#!/usr/bin/env bash
# Floors run one way: a file under src/ includes only its own folder and folders below it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../src"
floors=(platform session channel trace monitor device media maintenance api)
declare -A rank
for i in "${!floors[@]}"; do rank[${floors[$i]}]=$i; done
bad=0
for floor in "${floors[@]}"; do
    [[ -d $floor ]] || continue
    while IFS=: read -r file line included; do
        target=${included%%/*}
        if [[ -z ${rank[$target]+set} ]]; then
            echo "$file:$line: includes \"$included\" from no known floor"; bad=1
        elif (( rank[$target] > rank[$floor] )); then
            echo "$file:$line: $floor includes \"$included\" from the higher floor $target"; bad=1
        fi
    done < <(grep -rnoE '#include "[a-z_]+/[^"]+"' "$floor" | sed -E 's/#include "([^"]+)"/\1/')
done
if ((bad)); then exit 1; fi
echo "floors: every include runs downward (${floors[*]})"
