# Sourced by scripts that run programs under Wine: keeps one wineserver up for the prefix in
# RVS_WINEPREFIX until the calling script exits, and starts the prefix once.
export WINEPREFIX=${RVS_WINEPREFIX:?RVS_WINEPREFIX names the Wine prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
rvs_wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
rvs_wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
mkdir -p "$WINEPREFIX"
"$rvs_wineserver" -p
trap '"$rvs_wineserver" -k 2>/dev/null || true' EXIT
# Wine's services start with the first program and stay up with the server, holding on to the
# descriptors they inherited: started here with their own, they never hold a test's output
# pipe open (which would keep ctest waiting). The first boot of a prefix takes a while.
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "wine: booting prefix $WINEPREFIX"
    # (Its complaint about the 32-bit rundll32 is expected with 64-bit Wine alone.)
    "$rvs_wine" wineboot --init </dev/null >"$WINEPREFIX/wineboot.log" 2>&1
else
    "$rvs_wine" wineboot </dev/null >"$WINEPREFIX/wineboot.log" 2>&1
fi
