#!/usr/bin/env bash
# Wine for Vantrel's builds: a private prefix inside the build folder, kept warm by a
# persistent wineserver, shown on a private Xvfb display. Source it with the build folder:
#     source scripts/wine-env.sh build
# then call vt_wine_up [test|run|shot|bench] before starting Windows programs, vt_wine_down to stop.
#
# The test prefix runs everything inside a 1280 x 1024 virtual desktop that fills the
# Xvfb screen, so Windows screen coordinates are X screen coordinates, focus and
# minimising behave as on Windows, and hotkeys reach the program.

VT_BUILD_DIR=$(mkdir -p "${1:?build folder}" && cd "$1" && pwd)
VT_WINE_DIR="$VT_BUILD_DIR/wine"
VT_WINE=/usr/lib/wine/wine64
VT_WINESERVER=/usr/lib/wine/wineserver
VT_DESKTOP_SIZE=1280x1024

export WINEDEBUG=-all
export WINEARCH=win64
# No Mono or Gecko prompts at boot, and no menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

vt_prefix_for() {
    case "$1" in
        run) echo "$VT_WINE_DIR/run-prefix" ;;
        shot) echo "$VT_WINE_DIR/shot-prefix" ;;
        bench) echo "$VT_WINE_DIR/bench-prefix" ;;
        *) echo "$VT_WINE_DIR/prefix" ;;
    esac
}
export WINEPREFIX=$(vt_prefix_for test)

vt_keeper_pid() {
    if [ "$1" = test ]; then echo keeper.pid; else echo "$1-keeper.pid"; fi
}

vt_alive() {
    [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null
}

# Starts the kind's private Xvfb unless it runs already; exports DISPLAY. Each kind has its
# own, so that ending one (the tests' at the end of a run) never takes another's windows.
vt_xvfb_up() {
    local kind="$1"
    if vt_alive "$VT_WINE_DIR/$kind-xvfb.pid" && [ -f "$VT_WINE_DIR/$kind-display" ]; then
        export DISPLAY=":$(cat "$VT_WINE_DIR/$kind-display")"
        return 0
    fi
    rm -f "$VT_WINE_DIR/$kind-display"
    local fifo="$VT_WINE_DIR/$kind-displayfd"
    rm -f "$fifo" && mkfifo "$fifo"
    setsid Xvfb -displayfd 3 -screen 0 ${VT_DESKTOP_SIZE}x24 -nolisten tcp -noreset \
        3>"$fifo" 9>&- </dev/null >"$VT_WINE_DIR/$kind-xvfb.log" 2>&1 &
    echo $! >"$VT_WINE_DIR/$kind-xvfb.pid"
    local number
    read -r -t 20 number <"$fifo" || { echo "Xvfb did not start; see $VT_WINE_DIR/$kind-xvfb.log" >&2; return 1; }
    rm -f "$fifo"
    echo "$number" >"$VT_WINE_DIR/$kind-display"
    export DISPLAY=":$number"
}

# vt_bounded SECONDS COMMAND...: runs a step of the boot quietly; fails only when it ran out
# of time (its own exit status is Wine's business).
vt_bounded() {
    local seconds="$1"
    shift
    timeout "$seconds" "$@" 9>&- </dev/null >/dev/null 2>&1
    [ $? -ne 124 ]
}

# Boots the prefix once. Wine's background services must inherit neither our pipes nor
# the lock (descriptor 9), or they would hold both for as long as they live.
vt_prefix_up() {
    local kind="$1"
    export WINEPREFIX=$(vt_prefix_for "$kind")
    if [ ! -f "$WINEPREFIX/.vantrel-booted" ]; then
        mkdir -p "$WINEPREFIX"
        # Every step is bounded: a boot that hangs fails the run instead of stalling it.
        vt_bounded 120 "$VT_WINE" wineboot -i || return 1
        if [ "$kind" != run ]; then
            vt_bounded 60 "$VT_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f || return 1
            vt_bounded 60 "$VT_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
                /d "$VT_DESKTOP_SIZE" /f || return 1
            # A program that crashes prints its backtrace and ends, instead of waiting for a
            # click on Wine's crash dialog until its test times out.
            vt_bounded 60 "$VT_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
                /d 0 /f || return 1
            # The boot's desktop is not the virtual one: end this prefix's server (which saves
            # the registry) so that the next program opens the desktop as configured. Faster
            # than waiting for the server to go idle and end by itself.
            vt_bounded 60 "$VT_WINESERVER" -k || return 1
        fi
        touch "$WINEPREFIX/.vantrel-booted"
    fi
    # A persistent wineserver keeps every later start fast.
    "$VT_WINESERVER" -p 9>&- </dev/null >/dev/null 2>&1 || true
}

# Keeps the kind's virtual desktop open between test programs, so none pays for opening it.
vt_keeper_up() {
    local kind="$1"
    local keeper="$VT_BUILD_DIR/tests/desktop_keeper.exe"
    [ -f "$keeper" ] || return 0
    vt_alive "$VT_WINE_DIR/$(vt_keeper_pid "$kind")" && return 0
    setsid "$VT_WINE" "$keeper" 9>&- </dev/null >/dev/null 2>&1 &
    echo $! >"$VT_WINE_DIR/$(vt_keeper_pid "$kind")"
    # Wait for the desktop: a test program that opened it itself would leave Wine's desktop
    # process holding the test's output pipe, and CTest waiting for it to close.
    local _
    for _ in $(seq 1 300); do
        xdotool search --name 'Wine desktop' >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "the virtual desktop did not open" >&2
    return 1
}

# vt_wine_up [test|run|shot|bench]: everything needed to start Windows programs. Safe to
# call from several processes at once. "test" is the test suite's prefix; "run" opens windows
# on the user's $DISPLAY (or a private Xvfb without one); "shot" is a prefix of its own
# with the virtual desktop on the private Xvfb, for a screenshot without a display; "bench"
# is the benchmarks' prefix, set up as the tests' one, on an Xvfb of its own.
vt_wine_up() {
    local kind="${1:-test}"
    mkdir -p "$VT_WINE_DIR"
    (
        flock 9
        if [ "$kind" != run ] || [ -z "${DISPLAY:-}" ]; then vt_xvfb_up "$kind" || exit 1; fi
        vt_prefix_up "$kind" || { echo "the Wine prefix $(vt_prefix_for "$kind") did not boot" >&2; exit 1; }
        if [ "$kind" = test ] || [ "$kind" = bench ]; then vt_keeper_up "$kind" || true; fi
        exit 0
    ) 9>"$VT_WINE_DIR/lock" || return 1
    if [ "$kind" != run ] || [ -z "${DISPLAY:-}" ]; then
        export DISPLAY=":$(cat "$VT_WINE_DIR/$kind-display")"
    fi
    export WINEPREFIX=$(vt_prefix_for "$kind")
}

# vt_wine_down [test|run|shot|bench]: ends that prefix's wineserver, and with it every Windows
# program of the prefix (and no other), and the kind's own Xvfb.
vt_wine_down() {
    local kind="${1:-test}"
    local prefix
    prefix=$(vt_prefix_for "$kind")
    if [ -d "$prefix" ]; then WINEPREFIX="$prefix" timeout 60 "$VT_WINESERVER" -k </dev/null >/dev/null 2>&1 || true; fi
    if vt_alive "$VT_WINE_DIR/$kind-xvfb.pid"; then
        kill "$(cat "$VT_WINE_DIR/$kind-xvfb.pid")" 2>/dev/null
    fi
    rm -f "$VT_WINE_DIR/$kind-xvfb.pid" "$VT_WINE_DIR/$kind-display"
    rm -f "$VT_WINE_DIR/$(vt_keeper_pid "$kind")"
    return 0
}
