#!/usr/bin/env bash
# Runs RvStatement.dll under wine: builds a tiny host with mingw-w64, loads the DLL, calls it.
# Uses the Wine prefix in RVS_WINEPREFIX when set (CI shares the Windows build tree's), else a
# throw-away one.
set -euo pipefail

dll=${1:?usage: wine_smoke.sh path/to/RvStatement.dll}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

x86_64-w64-mingw32-gcc-posix -Wall -Wextra -Werror -O1 -o "$work/dll_smoke.exe" "$here/dll_smoke.c"
cp "$dll" "$work/RvStatement.dll"
export RVS_WINEPREFIX=${RVS_WINEPREFIX:-$work/prefix}
status=0
(
    source "$here/wine_session.sh"
    cd "$work" && timeout 300 "$here/wine_run.sh" ./dll_smoke.exe RvStatement.dll </dev/null
) || status=$?
exit $status
