#!/bin/sh
# Checks the include arrows between the rooms: app -> shell -> history, controls -> framework.
# Inside history/, model/ is included by store/ and clipboard/, which never include each other.
# Prints each include that crosses a rule and exits non-zero when there is one.
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo" || exit 2
status=0
# room (folder prefix) and the include prefixes it must not use
check() {
    room=$1
    shift
    for banned in "$@"; do
        hits=$(grep -rn --include='*.h' --include='*.cpp' "#include \"$banned" "$room" 2>/dev/null)
        if [ -n "$hits" ]; then
            echo "$room must not include $banned:"
            echo "$hits"
            status=1
        fi
    done
}
check framework app/ shell/ history/ controls/
check controls app/ shell/ history/
check history app/ shell/ controls/
check history/model history/store/ history/clipboard/
check history/store history/clipboard/
check history/clipboard history/store/
check shell app/
[ $status -eq 0 ] && echo "include rules: no include crosses a room's rule"
exit $status
