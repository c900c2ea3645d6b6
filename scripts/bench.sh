#!/usr/bin/env bash
# Builds Vantrel and its benchmarks and runs them under Wine in a prefix of their own, then
# prints one table: each case, Vantrel's median, its floor's median and their ratio.
#     scripts/bench.sh [runs of each start-up case, default 7]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"
runs="${1:-7}"

"$root/scripts/build-tests.sh" Vantrel desktop_keeper probe bare_window startup_bench paint_bench config_bench \
    start_steps >/dev/null

# A prefix of its own: the runs below delete its configuration folder and end its programs,
# which must never touch a test run beside them.
source "$root/scripts/wine-env.sh" "$build"
trap "vt_wine_down bench" EXIT
vt_wine_up bench
windows() { echo "Z:$(echo "$1" | tr / '\\')"; }

echo "| case | Vantrel (median) | floor (median) | ratio | goal |"
echo "|---|---|---|---|---|"
"$VT_WINE" "$build/tests/startup_bench.exe" "$(windows "$build/Vantrel.exe")" \
    "$(windows "$build/tests/bare_window.exe")" "$runs" | tr -d '\r'
"$VT_WINE" "$build/tests/paint_bench.exe" | tr -d '\r'
"$VT_WINE" "$build/tests/config_bench.exe" | tr -d '\r'
"$root/scripts/build-tests.sh" find_bench >/dev/null
"$VT_WINE" "$build/tests/find_bench.exe" | tr -d '\r'
"$root/scripts/build-tests.sh" restore_bench >/dev/null
"$VT_WINE" "$build/tests/restore_bench.exe" | tr -d '\r'

# Where an empty start spends its time, step by step, each step's median over fresh starts.
appdata=$("$VT_WINE" "$build/tests/probe.exe" appdata | tr -d '\r' | sed -n 's/^appdata=//p')
config="$WINEPREFIX/drive_c/$(echo "${appdata#*:\\}" | tr '\\' /)/Morrowtide"
echo
echo "| step of an empty start (\`start_steps.exe\`, first run: no file) | median | spread | private memory added |"
echo "|---|---|---|---|"
for _ in $(seq 1 "$runs"); do
    rm -rf "$config"
    "$VT_WINE" "$build/tests/start_steps.exe" | tr -d '\r'
done | python3 -c '
import statistics, sys
steps, memory = {}, {}
for line in sys.stdin:
    step, ms, mb = line.rstrip("\n").split("\t")
    steps.setdefault(step, []).append(float(ms))
    memory.setdefault(step, []).append(float(mb))
for step, times in steps.items():
    print(f"| {step} | {statistics.median(times):.1f} ms | {min(times):.1f} to {max(times):.1f} ms "
          f"| {statistics.median(memory[step]):.2f} MB |")
'
rm -rf "$config"
