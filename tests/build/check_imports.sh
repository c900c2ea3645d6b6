#!/usr/bin/env bash
# Vantrel.exe must run on a bare Windows machine: it may import only system DLLs, and it
# must be built with ASLR (high entropy) and DEP. Its sections must lie in the file as in
# memory, with no debugging sections, or Wine copies them into private memory at each start.
#     check_imports.sh <objdump> <Vantrel.exe>
set -u
objdump="$1"
exe="$2"
headers=$("$objdump" -p "$exe") || { echo "objdump failed on $exe"; exit 1; }

allowed='^(kernel32|user32|gdi32|shell32|comdlg32|comctl32|ole32|oleaut32|oleacc|advapi32|shlwapi|version|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+|ntdll|uxtheme)\.dll$'
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
