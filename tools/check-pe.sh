#!/usr/bin/env bash
# Checks both builds of quillary.exe: the right PE flavour, GUI subsystem, and
# imports from system DLLs only, so that the program runs on a bare Windows.
# Without arguments it also checks both presets' packages: the setup programs and
# the quillary.exe inside each zip.
# Usage: check-pe.sh [x86.exe x64.exe]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
packages=$((!$#))
x86_exe=${1:-$root/build/x86/app/quillary.exe}
x64_exe=${2:-$root/build/x64/app/quillary.exe}

# DLLs that every supported Windows ships.
system_dlls=(
    kernel32 user32 gdi32 comctl32 comdlg32 shell32 advapi32 ole32 oleaut32
    msvcrt ucrtbase shlwapi imm32 version winmm uxtheme bcrypt crypt32 wtsapi32 oleacc
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

# check FILE KIND OBJDUMP [NAME]: NAME stands for FILE in the messages.
check() {
    local exe=$1 expected=$2 objdump=$3 name=${4:-${1#"$root"/}} kind description dlls
    if [[ ! -f $exe ]]; then
        fail "$name is missing (build it first)"
        return
    fi
    description=$(file -b "$exe")
    if [[ $description != "$expected"* ]]; then
        fail "$name is '$description', expected '$expected'"
        return
    fi
    mapfile -t dlls < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
    if ((${#dlls[@]} == 0)); then
        fail "$name: $objdump found no imports"
        return
    fi
    local bad=()
    for dll in "${dlls[@]}"; do
        is_system_dll "$dll" || bad+=("$dll")
    done
    if ((${#bad[@]})); then
        fail "$name imports non-system DLLs: ${bad[*]}"
        return
    fi
    kind=${expected%% executable*}
    echo "check-pe: ok: $name is $kind GUI and imports only ${dlls[*]}"
}

x86_kind="PE32 executable (GUI) Intel 80386"
x64_kind="PE32+ executable (GUI) x86-64"
check "$x86_exe" "$x86_kind" i686-w64-mingw32-objdump
check "$x64_exe" "$x64_kind" x86_64-w64-mingw32-objdump

# The packages are named after the version that CMake was given.
check_packages() {
    local arch=$1 kind=$2 objdump=$3 folder version package unpacked
    folder=$root/build/$arch/packaging
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build/$arch/CMakeCache.txt" 2>/dev/null || true)
    package=$folder/Quillary-$version-$arch
    check "$package-setup.exe" "$kind" "$objdump"
    if [[ ! -f $package.zip ]]; then
        fail "$package.zip is missing (build it first)"
        return
    fi
    unpacked=$(mktemp -d)
    /usr/bin/python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extract("quillary.exe", sys.argv[2])' \
        "$package.zip" "$unpacked" || fail "$package.zip holds no quillary.exe"
    [[ ! -f $unpacked/quillary.exe ]] || check "$unpacked/quillary.exe" "$kind" "$objdump" \
        "quillary.exe in ${package#"$root"/}.zip"
    rm -rf "$unpacked"
}
if ((packages)); then
    check_packages x86 "$x86_kind" i686-w64-mingw32-objdump
    check_packages x64 "$x64_kind" x86_64-w64-mingw32-objdump
fi
exit "$failed"
