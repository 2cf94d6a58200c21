#!/usr/bin/env bash
# Wine session for tests and for `make run`:
#   a private 64-bit prefix in build/wine, an Xvfb display of its own (or the
#   user's display with --use-display), Wine's virtual desktop, and one
#   persistent wineserver that every program of the run shares.
# Usage: wine-session.sh start [--use-display] | stop | status
# The session's environment goes to build/wine-session.env; stop tears down
# only the processes that start recorded there. QUILLARY_WINE_SESSION names a
# second session beside the first (its own prefix build/<name>, display and
# wineserver, environment in build/<name>-session.env): a second PC for the tests.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
session=${QUILLARY_WINE_SESSION:-wine}
[[ "$session" =~ ^[A-Za-z0-9_-]+$ ]] || { echo "wine-session: bad session name $session" >&2; exit 2; }
env_file="$build/$session-session.env"
lock_file="$build/$session-session.lock"
log_file="$build/$session-session.log"
prefix="$build/$session"
desktop_size=1024x768

die() { echo "wine-session: $*" >&2; exit 1; }

find_wine() {
    if [[ -x /usr/lib/wine/wine64 ]]; then echo /usr/lib/wine/wine64
    elif command -v wine64 >/dev/null; then command -v wine64
    else die "wine64 not found (install the wine64 package)"
    fi
}

find_wineserver() {
    if [[ -x /usr/lib/wine/wineserver64 ]]; then echo /usr/lib/wine/wineserver64
    elif command -v wineserver >/dev/null; then command -v wineserver
    else die "wineserver not found (install the wine64 package)"
    fi
}

# True when pid is alive and runs the named program; guards against a recycled pid.
# A zombie counts as gone: our daemons are reparented to init, which may reap them late.
is_our_process() {
    local pid=$1 name=$2 stat
    [[ -n "$pid" ]] || return 1
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
    [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == "$name"* ]] || return 1
    stat=${stat##*) }
    [[ "${stat%% *}" != Z ]]
}

# Sends TERM, waits up to the given tenths of a second, then KILL.
end_process() {
    local pid=$1 name=$2 tenths=$3
    is_our_process "$pid" "$name" || return 0
    kill -TERM "$pid" 2>/dev/null || true
    for ((i = 0; i < tenths; i++)); do
        is_our_process "$pid" "$name" || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
}

read_session() {
    # Reads the recorded session into session_* variables without touching our environment.
    session_display='' session_xvfb_pid='' session_wineserver_pid='' session_wineserver='' session_owner=''
    [[ -f "$env_file" ]] || return 1
    eval "$(
        # shellcheck disable=SC1090
        source "$env_file"
        printf 'session_display=%q session_xvfb_pid=%q session_wineserver_pid=%q session_wineserver=%q session_owner=%q\n' \
            "${DISPLAY:-}" "${QUILLARY_XVFB_PID:-}" "${QUILLARY_WINESERVER_PID:-}" "${WINESERVER:-}" "${QUILLARY_SESSION_OWNER:-}"
    )"
}

session_alive() {
    read_session || return 1
    is_our_process "$session_wineserver_pid" wineserver || return 1
    [[ -z "$session_xvfb_pid" ]] || is_our_process "$session_xvfb_pid" Xvfb
}

wait_for_display() {
    local display=$1 pid=$2
    for ((i = 0; i < 100; i++)); do
        xdpyinfo -display "$display" >/dev/null 2>&1 && return 0
        [[ -z "$pid" ]] || is_our_process "$pid" Xvfb || return 1
        sleep 0.1
    done
    return 1
}

# A lock file whose server died is stale: Xvfb replaces it, so that number is free.
display_taken() {
    local n=$1 pid
    if [[ -e /tmp/.X$n-lock ]]; then
        pid=$(tr -dc 0-9 <"/tmp/.X$n-lock" 2>/dev/null || true)
        [[ -z "$pid" ]] || kill -0 "$pid" 2>/dev/null
    else
        [[ -e /tmp/.X11-unix/X$n ]]
    fi
}

start_xvfb() {
    local n
    for ((n = 90; n < 200; n++)); do
        display_taken "$n" && continue
        # setsid: keep the display out of the caller's process group, so Ctrl+C reaches
        # the programs while the teardown stays with us.
        setsid Xvfb ":$n" -screen 0 "${desktop_size}x24" -nolisten tcp -noreset \
            </dev/null >>"$build/$session-session-xvfb.log" 2>&1 8>&- 9>&- &
        xvfb_pid=$!
        if wait_for_display ":$n" "$xvfb_pid"; then
            display=":$n"
            return 0
        fi
        # Lost a race for this number with another server: try the next one.
        end_process "$xvfb_pid" Xvfb 20
    done
    die "no free X display between :90 and :199"
}

start_wineserver() {
    setsid "$WINESERVER" -f -p </dev/null >>"$log_file" 2>&1 8>&- 9>&- &
    wineserver_pid=$!
}

stop_wineserver() {
    "$WINESERVER" -k >>"$log_file" 2>&1 || true
    for ((i = 0; i < 100; i++)); do
        is_our_process "$wineserver_pid" wineserver || return 0
        sleep 0.1
    done
    end_process "$wineserver_pid" wineserver 30
}

# Wine closes its virtual desktop a moment after the last program on it ends, and the next
# program opens a new one. A program that starts while the old one closes can be left
# without a display driver, and every window it creates fails. One idle program (cmd
# reading a pipe that never ends) keeps the desktop for the whole session;
# "wineserver -k" ends it with the rest. The desktop is opened here too (rundll32 makes
# a window), since its process takes the standard handles of the program that opens it:
# opened by a test, it would hold that test's output open for the whole session.
hold_desktop() {
    local pipe="$build/$session-desktop.pipe"
    rm -f "$pipe"
    mkfifo "$pipe"
    setsid "$WINE" cmd.exe <>"$pipe" >>"$log_file" 2>&1 8>&- 9>&- &
    "$WINE" rundll32.exe user32.dll,GetDesktopWindow </dev/null >>"$log_file" 2>&1 8>&- 9>&- \
        || die "Wine's desktop did not open; see $log_file"
}

boot() {
    "$WINE" wineboot </dev/null >>"$log_file" 2>&1 8>&- 9>&- \
        || die "wineboot failed; see $log_file"
}

# The values are read from the saved registry file, which is current while no server runs.
desktop_configured() {
    local reg="$prefix/user.reg"
    [[ -f "$reg" ]] || return 1
    awk -v size="$desktop_size" '
        /^\[/ { section = $1 }
        section == "[Software\\\\Wine\\\\Explorer]" && $0 == "\"Desktop\"=\"Default\"" { d = 1 }
        section == "[Software\\\\Wine\\\\Explorer\\\\Desktops]" && $0 == "\"Default\"=\"" size "\"" { s = 1 }
        END { exit !(d && s) }' "$reg"
}

# Wine's own fonts (package fonts-wine): this Wine build never reads /usr/share/wine/fonts, so
# without copies in the prefix's Fonts folder caption buttons draw as letters and Tahoma is
# substituted. True when every one of them is there, byte for byte.
wine_fonts=/usr/share/wine/fonts
fonts_installed() {
    local font
    for font in "$wine_fonts"/*.ttf; do
        [[ -f "$font" ]] || continue
        cmp -s "$font" "$prefix/drive_c/windows/Fonts/${font##*/}" || return 1
    done
}

install_fonts() {
    compgen -G "$wine_fonts/*.ttf" >/dev/null || die "no fonts in $wine_fonts (install the fonts-wine package)"
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp "$wine_fonts"/*.ttf "$prefix/drive_c/windows/Fonts/"
}

configure_desktop() {
    if ! { "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f \
            && "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop_size" /f; \
        } </dev/null >>"$log_file" 2>&1 8>&- 9>&-; then
        die "could not set Wine's virtual desktop; see $log_file"
    fi
}

write_env() {
    local tmp="$env_file.tmp"
    {
        printf 'export DISPLAY=%q\n' "$display"
        printf 'export WINEPREFIX=%q\n' "$WINEPREFIX"
        printf 'export WINEARCH=%q\n' "$WINEARCH"
        printf 'export WINEDEBUG=%q\n' "$WINEDEBUG"
        printf 'export WINEDLLOVERRIDES=%q\n' "$WINEDLLOVERRIDES"
        printf 'export WINESERVER=%q\n' "$WINESERVER"
        printf 'export WINE=%q\n' "$WINE"
        printf 'QUILLARY_XVFB_PID=%q\n' "$xvfb_pid"
        printf 'QUILLARY_WINESERVER_PID=%q\n' "$wineserver_pid"
        printf 'QUILLARY_SESSION_OWNER=%q\n' "$owner"
    } >"$tmp"
    mv "$tmp" "$env_file"
}

cmd_start() {
    local use_display=0
    owner=${QUILLARY_SESSION_OWNER:-user}
    for arg in "$@"; do
        case $arg in
            --use-display) use_display=1 ;;
            *) die "unknown option $arg" ;;
        esac
    done
    if session_alive; then
        echo "Wine session already running on DISPLAY=$session_display"
        return 0
    fi
    # A session whose processes are gone: drop what is left of it.
    [[ -f "$env_file" ]] && stop_recorded

    xvfb_pid=
    if ((use_display)); then
        [[ -n "${DISPLAY:-}" ]] || die "--use-display needs \$DISPLAY"
        wait_for_display "$DISPLAY" "" || die "cannot open display $DISPLAY"
        display=$DISPLAY
    else
        start_xvfb
    fi

    # Wine's diagnostics stay on: they name what failed when a program gets no display.
    export DISPLAY=$display WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all,err+winediag
    # winemenubuilder would turn the installer's Start-menu shortcut into a launcher of the host.
    export WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe='
    WINE=$(find_wine)
    WINESERVER=$(find_wineserver)
    export WINE WINESERVER
    mkdir -p "$prefix"

    if [[ -f "$prefix/system.reg" ]]; then
        echo "Wine session: prefix $prefix, display $display"
    else
        echo "Wine session: creating prefix $prefix (the first boot takes a while), display $display"
    fi
    local desktop_ok=0 fonts_ok=1
    desktop_configured && desktop_ok=1
    start_wineserver
    boot
    if ! fonts_installed; then
        install_fonts
        fonts_ok=0
    fi
    if ((!desktop_ok || !fonts_ok)); then
        # The desktop mode and the fonts are read when the desktop is created: set them, then
        # restart the server.
        ((desktop_ok)) || configure_desktop
        stop_wineserver
        start_wineserver
        boot
    fi
    hold_desktop
    write_env
    echo "Wine session started: DISPLAY=$display WINEPREFIX=$prefix"
}

stop_recorded() {
    read_session || return 0
    if [[ -n "$session_wineserver_pid" ]]; then
        WINEPREFIX=$prefix "${session_wineserver:-$(find_wineserver)}" -k >>"$log_file" 2>&1 || true
        for ((i = 0; i < 100; i++)); do
            is_our_process "$session_wineserver_pid" wineserver || break
            sleep 0.1
        done
        end_process "$session_wineserver_pid" wineserver 30
    fi
    end_process "$session_xvfb_pid" Xvfb 50
    rm -f "$env_file"
}

cmd_stop() {
    if [[ ! -f "$env_file" ]]; then
        echo "No Wine session running"
        return 0
    fi
    stop_recorded
    echo "Wine session stopped"
}

cmd_status() {
    if session_alive; then
        echo "Wine session running: DISPLAY=$session_display WINEPREFIX=$prefix wineserver pid $session_wineserver_pid${session_xvfb_pid:+ Xvfb pid $session_xvfb_pid} (started by $session_owner)"
        return 0
    fi
    if [[ -f "$env_file" ]]; then
        echo "Wine session stale (its processes are gone); 'start' or 'stop' clears it"
    else
        echo "No Wine session running"
    fi
    return 3
}

mkdir -p "$build"
case ${1:-} in
    start|stop)
        exec 8>"$lock_file"
        flock 8
        "cmd_$1" "${@:2}"
        ;;
    status) cmd_status ;;
    *) echo "usage: $0 start [--use-display] | stop | status" >&2; exit 2 ;;
esac
