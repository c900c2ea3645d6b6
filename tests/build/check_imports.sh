#!/usr/bin/env bash
# Vantrel.exe must run on a bare Windows machine: it may import only system DLLs, and it
# must be built with ASLR (high entropy, relocations kept) and DEP, with no section both
# writable and executable. Its sections must lie in the file as in memory, with no debugging
# sections, or Wine copies them into private memory at each start.
#     check_imports.sh <objdump> <Vantrel.exe>
set -u
objdump="$1"
exe="$2"
headers=$("$objdump" -p "$exe") || { echo "objdump failed on $exe"; exit 1; }

# The loader resolves the static imports before the program's first line, where nothing can
# keep a DLL of the same name in the program's folder from being taken: only Windows' known
# DLLs (always mapped from the system folder) and API sets may be imported so. The others
# (comctl32, oleacc) are delay-loaded, after the program has restricted the search.
allowed='^(kernel32|user32|gdi32|shell32|comdlg32|ole32|oleaut32|advapi32|shlwapi|msvcrt|api-ms-win-crt-[a-z0-9-]+|ntdll)\.dll$'
status=0
imports=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no import table found"; exit 1; }
while read -r dll; do
    if [[ "$dll" =~ $allowed ]]; then
        echo "ok      $dll"
    else
        echo "FOREIGN $dll"
        status=1
    fi
done <<<"$imports"

for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
    if printf '%s\n' "$headers" | grep -q "$flag"; then
        echo "ok      $flag"
    else
        echo "MISSING $flag"
        status=1
    fi
done
# ASLR moves the image only with its relocations; without them Windows loads it at its base.
relocations=$(printf '%s\n' "$headers" | awk '/Base Relocation Directory/ { print $4; exit }')
if printf '%s\n' "$headers" | grep -qi 'relocations stripped' || [ $((16#${relocations:-0})) -eq 0 ]; then
    echo "MISSING relocations"
    status=1
else
    echo "ok      relocations ($((16#$relocations)) bytes)"
fi
writable_code=$("$objdump" -h -w "$exe" | awk '$1 ~ /^[0-9]+$/ && /CODE/ && !/READONLY/ { print $2 }')
if [ -n "$writable_code" ]; then
    echo "WRITABLE and executable: $writable_code"
    status=1
else
    echo "ok      no section both writable and executable"
fi
if printf '%s\n' "$headers" | grep -qE '^FileAlignment[[:space:]]+0*1000$'; then
    echo "ok      sections aligned to pages in the file"
else
    echo "MISALIGNED sections: $(printf '%s\n' "$headers" | grep '^FileAlignment')"
    status=1
fi
if "$objdump" -h "$exe" | grep -q ' \.debug_'; then
    echo "UNSTRIPPED debugging sections"
    status=1
fi
exit $status
