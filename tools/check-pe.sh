#!/usr/bin/env bash
# Checks both builds of quillary.exe: the right PE flavour, GUI subsystem, and
# imports from system DLLs only, so that the program runs on a bare Windows.
# Usage: check-pe.sh [x86.exe x64.exe]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
x86_exe=${1:-$root/build/x86/app/quillary.exe}
x64_exe=${2:-$root/build/x64/app/quillary.exe}

# DLLs that every supported Windows ships.
system_dlls=(
    kernel32 user32 gdi32 comctl32 comdlg32 shell32 advapi32 ole32 oleaut32
    msvcrt ucrtbase shlwapi imm32 version winmm uxtheme bcrypt
)

failed=0
fail() { echo "check-pe: FAIL: $*"; failed=1; }

is_system_dll() {
    local dll=${1,,}
    dll=${dll%.dll}
    [[ $dll == api-ms-win-crt-* || $dll == api-ms-win-core-* ]] && return 0
    for known in "${system_dlls[@]}"; do
        [[ $dll == "$known" ]] && return 0
    done
    return 1
}

check() {
    local exe=$1 expected=$2 objdump=$3 kind description dlls
    if [[ ! -f $exe ]]; then
        fail "$exe is missing (build it first)"
        return
    fi
    description=$(file -b "$exe")
    if [[ $description != "$expected"* ]]; then
        fail "$exe is '$description', expected '$expected'"
        return
    fi
    mapfile -t dlls < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
    if ((${#dlls[@]} == 0)); then
        fail "$exe: $objdump found no imports"
        return
    fi
    local bad=()
    for dll in "${dlls[@]}"; do
        is_system_dll "$dll" || bad+=("$dll")
    done
    if ((${#bad[@]})); then
        fail "$exe imports non-system DLLs: ${bad[*]}"
        return
    fi
    kind=${expected%% executable*}
    echo "check-pe: ok: ${exe#"$root"/} is $kind GUI and imports only ${dlls[*]}"
}

check "$x86_exe" "PE32 executable (GUI) Intel 80386" i686-w64-mingw32-objdump
check "$x64_exe" "PE32+ executable (GUI) x86-64" x86_64-w64-mingw32-objdump
exit "$failed"
