#!/bin/sh
# Checks the include arrows between the rooms: app -> shell -> history, controls -> framework.
# Inside history/, model/ is included by store/, clipboard/ and share/; store/ and clipboard/ never include
# each other, nor share/.
# Inside store/, the file seam (disk/) stands alone, so that any room may build on it; the
# file formats and the sealed form know nothing of the journal's writer or of the save sets.
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
check history/model history/store/ history/clipboard/ history/share/
check history/store history/clipboard/ history/share/
check history/clipboard history/store/ history/share/
# Sharing builds on the model and the file seam alone.
check history/share history/clipboard/ history/store/formats/ history/store/journal/ history/store/saveset/ \
    history/store/sealed/ history/store/extras/ history/store/Durable history/store/DataFolder history/store/HistoryStore
check history/store/disk history/store/formats/ history/store/journal/ history/store/saveset/ \
    history/store/sealed/ history/store/extras/ history/store/Durable history/store/DataFolder history/model/
check history/store/formats history/store/journal/ history/store/saveset/ history/store/sealed/ \
    history/store/extras/ history/store/Durable
check history/store/sealed history/store/journal/JournalWriter history/store/saveset/ history/store/Durable
check history/store/extras history/store/journal/ history/store/saveset/ history/store/Durable
check shell app/
[ $status -eq 0 ] && echo "include rules: no include crosses a room's rule"
exit $status
