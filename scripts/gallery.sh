#!/usr/bin/env bash
# Builds Vantrel and takes the pictures of the README's gallery into docs/ (or the folder
# given): the main window, the context menu and every dialog, on a private Xvfb.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"

"$root/scripts/build-tests.sh" Vantrel probe desktop_keeper

source "$root/scripts/wine-env.sh" "$build"
trap "vt_wine_down test" EXIT
vt_wine_up test
VANTREL_BUILD_DIR="$build" python3 "$root/scripts/gallery.py" "$@"
