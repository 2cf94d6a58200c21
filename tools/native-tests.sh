#!/bin/sh
# Builds the portable file-format code and its tests with the host compiler
# into build/native and runs them; the exit code is ctest's.
set -e
repo=$(cd "$(dirname "$0")/.." && pwd)
build="$repo/build/native"
"$repo/tools/install-deps.sh"
cmake -S "$repo/tests/native" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j2
set +e
ctest --test-dir "$build" --output-on-failure
