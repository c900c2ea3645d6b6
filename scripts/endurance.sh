#!/usr/bin/env bash
# The long runs: 50 kills while saving, 20 kills while writing a held file in place, 100 starts
# and closes, 10 simultaneous starts, 10,000 paints, 1,000 context menus, 500 openings of each
# dialog and the long fuzzing of the configuration file. Prints what each run counted. About
# five minutes on a 2-core machine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"

"$root/scripts/build-tests.sh"
cd "$build"
log="$build/Testing/endurance.log"
mkdir -p "$(dirname "$log")"
status=0
ctest --verbose --label-regex endurance "$@" >"$log" 2>&1 || status=$?
# What each run did, then CTest's verdict.
grep -oE '[0-9]+ (paints|context menus|openings of dialog [0-9]+|kills|simultaneous starts|starts and closes|random grids|damaged configuration files).*' \
    "$log" || true
sed -n '/tests passed/,$p' "$log"
echo "Full output: $log"
exit $status
