#!/usr/bin/env bash
# Makes docs/popup.png and docs/popup-dark.png, the README's pictures of the popup with some
# history in the light and the dark app mode: for each, sets the app mode (AppsUseLightTheme),
# starts the x64 quillary.exe under Wine from a fresh folder, copies a few texts in an X
# program (xclip) as a user would in any program, and takes a picture of the popup at its
# first-start place. The app mode is put back afterwards.
# Usage: tools/docs-screenshot.sh  (after a build of the x64 preset)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=$root/build/x64/app/quillary.exe
personalize='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
# The popup opens at (10, 10), 190 x 290 pixels, on a first start; a margin of desktop around it.
crop=210x310+0+0
texts=(
    'C:\Users\anna\Documents\Quarterly report.docx'
    '+49 30 1234567'
    'SELECT name, email FROM users WHERE active = 1;'
    'git log --oneline --graph'
    'Meeting moved to Thursday 10:30, room 4.12'
    "Thanks for the quick reply! I'll send the draft tonight."
    'https://quillary.example.org/download'
)

[[ -f $exe ]] || { echo "docs-screenshot: build $exe first (make run or make test)" >&2; exit 1; }
cd "$root"
work=$(mktemp -d "$root/build/docs-screenshot.XXXXXX")
started=0
pid=
clip=
cleanup() {
    [[ -z $pid ]] || kill "$pid" 2>/dev/null || true
    [[ -z $clip ]] || kill "$clip" 2>/dev/null || true
    ((started)) && tools/wine-session.sh stop >/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
if ! tools/wine-session.sh status >/dev/null; then
    QUILLARY_SESSION_OWNER=docs-screenshot tools/wine-session.sh start
    started=1
fi
# shellcheck disable=SC1091
source build/wine-session.env

previous_mode=$("$WINE" reg query "$personalize" /v AppsUseLightTheme 2>/dev/null | tr -d '\r' |
    awk '/AppsUseLightTheme/ {print $3}') || true
restore_mode() {
    if [[ -n $previous_mode ]]; then
        "$WINE" reg add "$personalize" /v AppsUseLightTheme /t REG_DWORD /d "$((previous_mode))" /f >/dev/null 2>&1
    else
        "$WINE" reg delete "$personalize" /v AppsUseLightTheme /f >/dev/null 2>&1 || true
    fi
}
trap 'restore_mode; cleanup' EXIT

# shoot LIGHT OUTPUT: the popup with the texts, in the app mode LIGHT (1 light, 0 dark).
shoot() {
    local light=$1 output=$2 folder
    "$WINE" reg add "$personalize" /v AppsUseLightTheme /t REG_DWORD /d "$light" /f >/dev/null 2>&1
    folder=$(mktemp -d "$work/run.XXXXXX")
    cp "$exe" "$folder/"
    "$WINE" "$folder/quillary.exe" &
    pid=$!
    tools/wait-for-popup.sh "$pid" 60
    # xclip serves each text until the next one takes the clipboard over; -quiet keeps it in
    # the foreground, so that its process id is ours to end.
    for text in "${texts[@]}"; do
        previous=$clip
        printf '%s' "$text" | xclip -quiet -selection clipboard >/dev/null 2>&1 &
        clip=$!
        sleep 0.5
        [[ -z $previous ]] || kill "$previous" 2>/dev/null || true
    done
    sleep 1
    mkdir -p "$(dirname "$output")"
    import -window root -crop "$crop" +repage "$output"
    echo "docs-screenshot: wrote ${output#"$root"/}"
    kill "$pid" "$clip" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
    clip=
}
shoot 1 "$root/docs/popup.png"
shoot 0 "$root/docs/popup-dark.png"
