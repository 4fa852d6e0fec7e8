#!/bin/sh
# Builds the Windows seams with MinGW-w64 and runs their check under Wine.
# Exit 77 (reported as skipped) where the compiler or Wine is missing.
set -u
source_dir=$1
work_dir=$2

compiler=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++ || true)
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || true)
if [ -z "$compiler" ] || [ -z "$wine" ]; then
    echo "SKIP: needs g++-mingw-w64-x86-64-posix and wine64"
    exit 77
fi

mkdir -p "$work_dir"
"$compiler" -std=c++17 -O1 -Wall -Wextra -static \
    -I"$source_dir/src/core" -I"$source_dir/src/engine" \
    "$source_dir/tests/windows/seamcheck.cpp" \
    "$source_dir/src/core/gameregistry.cpp" \
    "$source_dir/src/core/gameregistry_win.cpp" \
    "$source_dir/src/engine/symboliclink_win.cpp" \
    "$source_dir/src/engine/entrycalls_win.cpp" \
    -o "$work_dir/seamcheck.exe" || exit 1

server=$(dirname "$wine")/wineserver64
[ -x "$server" ] || server=wineserver
prefix=$(mktemp -d)
trap 'WINEPREFIX="$prefix" "$server" -k 2>/dev/null; rm -rf "$prefix"' EXIT
WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    "$wine" "$work_dir/seamcheck.exe"
