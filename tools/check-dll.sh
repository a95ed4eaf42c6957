#!/usr/bin/env bash
# Checks the shipped DLL's form: PE32 for i386, exactly the seven plain exports, only system imports, a version
# resource. Prints one line per check and "N passed, N failed" at the end; exits non-zero on a failure.
set -uo pipefail
dll=${1:?usage: check-dll.sh path/to/kumo_wintab.dll}
objdump=i686-w64-mingw32-objdump
dump=$($objdump -p "$dll")
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
check "format" "$($objdump -f "$dll" | sed -n 's/.*file format //p')" "pei-i386"
check "PE32 optional header" "$(echo "$dump" | sed -n 's/^Magic[[:space:]]*//p' | awk '{print $1}')" "010b"
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] //p' | sort | tr '\n' ' ')
check "exports" "$exports" "DllMain ImportKumoFunction PluginFin PluginInfo PluginInit PluginRequire PluginVersion "
imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort -u | tr '\n' ' ')
check "imports" "$imports" "KERNEL32.DLL MSVCRT.DLL USER32.DLL "
resources=$($objdump -h "$dll" | grep -c '\.rsrc' || true)
check "version resource" "$resources" "1"
checks_summary "dll checks"
