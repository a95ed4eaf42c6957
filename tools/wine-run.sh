#!/usr/bin/env bash
# Runs a Windows program of the test build under Wine: CTest's CMAKE_CROSSCOMPILING_EMULATOR.
# A project-local prefix with the null graphics driver (no X server), no Wine debug output, a wineserver that
# outlives single runs, and the stand-in DLLs loaded from disk rather than Wine's built-in ones.
#   KUMO_DLL_OVERRIDES  extra WINEDLLOVERRIDES entries for one test (e.g. "comctl32=n")
#   KUMO_WINE_PREFIX    the prefix (default: build/wineprefix of this checkout)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${KUMO_WINE_PREFIX:-$here/../build/wineprefix}
export WINEDEBUG=-all
export WINEARCH=win64
export LANG=C.UTF-8
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

# Locks are held on descriptors 8 and 9; every process started under a lock closes them, since a wineserver
# that kept one open would hold the lock for its whole life.
# The prefix is made once; parallel first starts would race, so the first caller makes it under a lock.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/.kumo-ready" ]; then
        rm -rf "$WINEPREFIX"
        WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
        WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
            </dev/null >/dev/null 2>&1 9>&-
        "$wineserver" -w 9>&-
        touch "$WINEPREFIX/.kumo-ready"
    fi
) 9>"$WINEPREFIX.lock"

# A server that stays a minute after its last client. When none runs for this prefix, start it and Wine's own
# helper processes (services, explorer) here, with their output going nowhere: started by a test instead, they
# would inherit the test's output and hold CTest's pipe open until they end.
server_key=$(printf '%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
server_running() { compgen -G "/tmp/wine-*/server-$server_key/socket" >/dev/null; }
(
    flock 8
    if ! server_running; then
        "$wineserver" -p60 </dev/null >/dev/null 2>&1 8>&- || true
        WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" cmd /c exit </dev/null >/dev/null 2>&1 8>&- || true
    fi
) 8>"$WINEPREFIX.server.lock"

export WINEDLLOVERRIDES="mscoree,mshtml=;wintab32=n${KUMO_DLL_OVERRIDES:+;$KUMO_DLL_OVERRIDES}"
exec "$wine" "$@"
