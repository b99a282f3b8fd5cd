#!/usr/bin/env bash
# Runs RvStatement.dll under wine: builds a tiny host with mingw-w64, loads the DLL, calls it.
set -euo pipefail

dll=${1:?usage: wine_smoke.sh path/to/RvStatement.dll}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Debian's wine64 package keeps its launcher out of PATH unless "wine" is installed too.
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)

x86_64-w64-mingw32-gcc-posix -Wall -Wextra -Werror -O1 -o "$work/dll_smoke.exe" "$here/dll_smoke.c"
cp "$dll" "$work/RvStatement.dll"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
status=0
(cd "$work" && timeout 300 "$wine" ./dll_smoke.exe RvStatement.dll </dev/null) || status=$?
"$server" -k 2>/dev/null || true
exit $status
