#!/usr/bin/env bash
# Test launcher: runs a Windows test program through Wine in the build's private prefix.
#     wine-run.sh <build folder> <program.exe> [arguments...]
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../scripts/wine-env.sh" "$1"
shift
if ! vt_wine_up test; then
    echo "wine-run.sh: Wine could not be brought up (see $VT_WINE_DIR/test-xvfb.log)" >&2
    exit 1
fi
"$VT_WINE" "$@"
status=$?
# Codes from Wine itself rather than from the program (a crash, a loader failure).
if [ $status -ge 126 ] && [ $status -le 255 ] && [ $status -ne 1 ]; then
    echo "wine-run.sh: $1 ended with status $status" >&2
fi
exit $status
