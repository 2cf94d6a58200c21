#!/bin/sh
# Builds the fuzz targets of the file readers with clang's libFuzzer and the
# address and undefined-behaviour sanitizers into build/fuzz, then either
#   tools/fuzz.sh [seconds]   fuzzes each target for that long (default 60),
#                             printing executions and findings, or
#   tools/fuzz.sh --seeds     runs each target once over its seed corpus.
# Exits non-zero when a target crashes or reports a finding.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
out="$repo/build/fuzz"
targets="settings_fuzz history_fuzz bmp_header_fuzz journal_fuzz packed_dib_fuzz extras_fuzz"

mode=timed
seconds=60
case "${1:-}" in
    --seeds) mode=seeds ;;
    "") ;;
    *[!0-9]*) echo "usage: $0 [seconds] | --seeds" >&2; exit 2 ;;
    *) seconds=$1 ;;
esac

# clang and its fuzzer runtime come with the project's other packages.
"$repo/tools/install-deps.sh"

sources="$repo/framework/ArchiveCore.cpp $repo/history/store/formats/SettingsFormat.cpp $repo/history/store/formats/HistoryFormat.cpp $repo/history/model/BmpFormat.cpp $repo/history/store/formats/Crc32.cpp $repo/history/store/journal/JournalFormat.cpp $repo/history/store/journal/JournalReader.cpp $repo/history/store/extras/ExtrasFormat.cpp $repo/history/store/extras/ExtrasIndex.cpp $repo/history/store/extras/ExtrasMap.cpp $repo/history/store/saveset/SetFileNames.cpp $repo/history/model/PackedDibFormat.cpp"
mkdir -p "$out"
for target in $targets; do
    bin="$out/$target"
    # Rebuild only when a source or header is newer than the binary.
    if [ -x "$bin" ] && [ -z "$(find "$repo/framework/ArchiveCore.h" "$repo/history" "$repo/tests/fuzz" \
            "$repo/tests/native/MemoryStreams.h" $sources -newer "$bin" -name '*.[hc]*' 2>/dev/null | head -n 1)" ]; then
        continue
    fi
    echo "building $target"
    clang++ -std=c++17 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I"$repo" -I"$repo/tests/native" "$repo/tests/fuzz/$target.cpp" $sources -o "$bin"
done

status=0
for target in $targets; do
    bin="$out/$target"
    seeds="$repo/tests/fuzz/corpus/$target"
    log="$out/$target.log"
    if [ "$mode" = seeds ]; then
        if "$bin" "$seeds"/* >"$log" 2>&1; then
            echo "$target: $(ls "$seeds" | wc -l) seed inputs ran clean"
        else
            echo "$target: CRASH on a seed input, see $log"
            tail -n 30 "$log"
            status=1
        fi
        continue
    fi
    corpus="$out/corpus/$target"
    artifacts="$out/artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    before=$(ls "$artifacts" | wc -l)
    "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" "$seeds" >"$log" 2>&1 || true
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    findings=$(( $(ls "$artifacts" | wc -l) - before ))
    echo "$target: ${runs:-0} executions in ${seconds}s, $findings new findings, corpus $(ls "$corpus" | wc -l) inputs"
    if [ "$findings" -gt 0 ] || grep -q '^==[0-9]*==ERROR\|^SUMMARY: ' "$log"; then
        echo "  findings in $artifacts, log $log"
        status=1
    fi
done
exit $status
