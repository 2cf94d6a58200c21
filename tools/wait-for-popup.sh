#!/usr/bin/env bash
# Waits until Quillary's popup is visible on the session's display.
# Usage: wait-for-popup.sh PID SECONDS  (PID: the Wine process that runs quillary.exe)
# Exits 0 once the window is visible, 1 when the process ended first or time ran out.
set -euo pipefail

title="Quillary(Press 'CTRL+ SHIFT + F' call me!)"
# The same title as an xdotool (extended) regular expression, anchored.
pattern="^Quillary\(Press 'CTRL\+ SHIFT \+ F' call me!\)$"
pid=$1
seconds=$2

# xdotool matches without regard to case: compare the candidates' titles exactly.
window_visible() {
    local id
    for id in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null); do
        [[ "$(xdotool getwindowname "$id")" == "$title" ]] && return 0
    done
    return 1
}

for ((i = 0; ; i++)); do
    window_visible && exit 0
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "quillary.exe exited before its window appeared" >&2
        exit 1
    fi
    if ((i >= seconds * 10)); then
        echo "No visible window titled \"$title\" after $seconds s" >&2
        exit 1
    fi
    sleep 0.1
done
