#!/bin/sh
# Builds the Windows seams with MinGW-w64 and runs their check under Wine.
# Exit 77 (reported as skipped) where the compiler or Wine is missing.
set -u
source_dir=$1
work_dir=$2

. "$source_dir/tests/windows/find-mingw-and-wine.sh"

mkdir -p "$work_dir"
"$compiler" -std=c++17 -O1 -Wall -Wextra -static \
    -I"$source_dir/src/core" -I"$source_dir/src/engine" \
    "$source_dir/tests/windows/seamcheck.cpp" \
    "$source_dir/src/core/gameregistry.cpp" \
    "$source_dir/src/core/gameregistry_win.cpp" \
    "$source_dir/src/engine/symboliclink_win.cpp" \
    "$source_dir/src/engine/entrycalls_win.cpp" \
    "$source_dir/src/engine/hardlink_win.cpp" \
    -o "$work_dir/seamcheck.exe" || exit 1

prefix=$(mktemp -d)
# Drive Y: is another Linux file system (a tmpfs), for a hard link that cannot reach it.
other=$(mktemp -d /dev/shm/runemount-seamcheck.XXXXXX)
trap 'WINEPREFIX="$prefix" "$server" -k 2>/dev/null; rm -rf "$prefix" "$other"' EXIT
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" "$work_dir/seamcheck.exe" || exit 1
# Drive Y: once the prefix is made: a hard link across drives, which has to fail.
ln -s "$other" "$prefix/dosdevices/y:"
RUNEMOUNT_OTHER_DRIVE='Y:' "$wine" "$work_dir/seamcheck.exe"
