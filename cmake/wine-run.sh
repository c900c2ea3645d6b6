#!/usr/bin/env bash
# Test launcher: runs a Windows test program through Wine in the build's private prefix.
#     wine-run.sh <build folder> <program.exe> [arguments...]
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../scripts/wine-env.sh" "$1"
shift
vt_wine_up test || exit 1
exec "$VT_WINE" "$@"
