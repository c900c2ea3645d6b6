#!/usr/bin/env bash
# Installs what is needed, builds Vantrel and starts it under Wine.
# With $DISPLAY set it opens on that display and runs until you close it. Without one it
# runs on a private Xvfb, leaves a PNG screenshot of its window, prints the screenshot's
# path and closes Vantrel again.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"

"$root/scripts/build-tests.sh" Vantrel probe

source "$root/scripts/wine-env.sh" "$build"
probe="$build/tests/probe.exe"

if [ -n "${DISPLAY:-}" ]; then
    vt_wine_up run
    echo "Vantrel runs on $DISPLAY; its configuration is under $WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Local/Morrowtide"
    exec "$VT_WINE" "$build/Vantrel.exe"
fi

# A prefix whose virtual desktop gives the window the frame and caption it has on Windows.
# Ending it, however this script ends, ends Vantrel, its wineserver and the Xvfb.
vt_wine_up shot
trap 'vt_wine_down shot' EXIT
setsid "$VT_WINE" "$build/Vantrel.exe" </dev/null >/dev/null 2>&1 &
vantrel=$!

rect=""
for _ in $(seq 1 200); do
    rect=$({ "$VT_WINE" "$probe" window 2>/dev/null || true; } | sed -n 's/^rect=//p' | tr -d '\r')
    [ -n "$rect" ] && break
    sleep 0.1
done
if [ -z "$rect" ]; then
    echo "Vantrel's window did not appear" >&2
    exit 1
fi
sleep 1   # let the first paint finish

IFS=, read -r left top right bottom <<<"$rect"
[ "$left" -lt 0 ] && left=0
[ "$top" -lt 0 ] && top=0
shot="$build/vantrel-screenshot.png"
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$shot"

"$VT_WINE" "$probe" close >/dev/null 2>&1 || true
wait "$vantrel" || true
echo "Vantrel's configuration from this run: $WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Local/Morrowtide"
echo "Screenshot of Vantrel's window: $shot"
