#!/usr/bin/env bash
# Runs one Windows program under Wine as the test runs do: the prefix from RVS_WINEPREFIX
# (made by scripts/wine_prefix.sh), no Wine debug output, no Mono or Gecko prompts.
# ctest uses this as the emulator of the cross-built test programs.
set -euo pipefail
export WINEPREFIX=${RVS_WINEPREFIX:-${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/rvstatement-wine}}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Debian's wine64 package keeps its launcher out of PATH unless "wine" is installed too.
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
exec "$wine" "$@"
