#!/usr/bin/env bash
# Runs one Windows program under Wine as the test runs do: the prefix from RVS_WINEPREFIX
# (each test names its build tree's; Wine boots a new one on first use), no Wine debug
# output, no Mono or Gecko prompts. ctest uses this as the emulator of the cross-built test
# programs.
set -euo pipefail
export WINEPREFIX=${RVS_WINEPREFIX:-${WINEPREFIX:-$HOME/.wine}}
mkdir -p "$WINEPREFIX"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Debian's wine64 package keeps its launcher out of PATH unless "wine" is installed too.
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
exec "$wine" "$@"
