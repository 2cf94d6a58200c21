#!/usr/bin/env bash
# Runs a Windows program under Wine; ctest's CMAKE_CROSSCOMPILING_EMULATOR.
# Usage: wine-run.sh <program.exe> [args...]
# With a running session (tools/wine-session.sh start) the program joins its warm
# wineserver; otherwise this run starts a session of its own and stops it afterwards.
# The program's exit code is passed through; the CR of Wine's CR LF line ends is dropped.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
session="$root/tools/wine-session.sh"
env_file="$build/wine-session.env"

if (($# < 1)); then
    echo "usage: $0 <program.exe> [args...]" >&2
    exit 2
fi

strip_cr() { sed -u 's/\r$//'; }

# The PE optional header's magic: 10b for a 32-bit program, 20b for a 64-bit one.
pe_magic() {
    local offset
    offset=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ') || return 1
    [[ -n "$offset" ]] || return 1
    od -An -t x2 -j $((offset + 24)) -N 2 "$1" 2>/dev/null | tr -d ' '
}

# Wine 8's wine64 alone "runs" a 32-bit program by failing quietly with exit code 0:
# refuse it here instead, with 77 (a skip code for ctest's SKIP_RETURN_CODE).
if [[ -f "$1" && "$(pe_magic "$1")" == 010b && ! -x /usr/lib/wine/wine ]]; then
    echo "wine-run: $1 is a 32-bit program and this machine has no 32-bit Wine (wine32:i386)" >&2
    exit 77
fi

run_program() {
    # shellcheck disable=SC1090
    source "$env_file"   # sets WINE, WINEPREFIX, DISPLAY and the rest
    # pdeathsig: when ctest kills this script on a timeout, the program goes too
    # instead of holding ctest's output pipe open.
    # shellcheck disable=SC2153
    local wine=$WINE
    # A 32-bit program goes to the 32-bit loader when there is one.
    [[ "$(pe_magic "$1")" != 010b || ! -x /usr/lib/wine/wine ]] || wine=/usr/lib/wine/wine
    # stderr goes out as it comes and into $errors, for run_with_display.
    exec 4> >(strip_cr | tee "$errors" >&2)
    local copier=$!
    # The lock descriptor stays here: a program left running must not hold it.
    setpriv --pdeathsig KILL "$wine" "$@" 9>&- 2>&4 4>&- | strip_cr
    local status=${PIPESTATUS[0]}
    exec 4>&-
    # The copy ends when the program does, unless a program it started holds stderr.
    local i
    for ((i = 0; i < 20; i++)); do
        kill -0 "$copier" 2>/dev/null || break
        sleep 0.05
    done
    return "$status"
}

# A program that Wine left without a display driver could create no window: it never ran
# as meant, so it runs once more. Wine says so on stderr (err+winediag in the session).
run_with_display() {
    errors=$(mktemp)
    run_program "$@"
    local status=$?
    if ((status != 0)) && grep -q "no driver could be loaded" "$errors"; then
        echo "wine-run: Wine gave $1 no display driver; running it once more" >&2
        run_program "$@"
        status=$?
    fi
    rm -f "$errors"
    return "$status"
}

# A session that someone started for many programs is shared; one that another
# run of this script started for itself is not, since that run will stop it.
shared_session() {
    "$session" status >/dev/null 2>&1 && ! grep -q '^QUILLARY_SESSION_OWNER=wine-run$' "$env_file"
}

if shared_session; then
    run_with_display "$@"
    exit
fi

mkdir -p "$build"
# One private session at a time: parallel runs without a shared session queue here.
exec 9>"$build/wine-run.lock"
flock 9
if shared_session; then
    exec 9>&-
    run_with_display "$@"
    exit
fi
QUILLARY_SESSION_OWNER=wine-run "$session" start >/dev/null 9>&- || exit 1
trap '"$session" stop >/dev/null 9>&-' EXIT
run_with_display "$@"
