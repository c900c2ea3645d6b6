#!/usr/bin/env bash
# Installs what is needed, builds Vantrel with its tests and runs the whole suite under
# Wine on a private display. Extra arguments go to ctest (for example -R scenario). The long
# endurance runs are left to scripts/endurance.sh.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"

"$root/scripts/build-tests.sh"
cd "$build"
ctest --output-on-failure --label-exclude endurance "$@"
