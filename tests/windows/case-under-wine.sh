#!/bin/sh
# End to end, as a Linux player has it: a mod made on Windows with other letter case than the
# game, mounted by Runemount, then read by a Windows program under Wine with the game folder as
# its working folder, the way the game reads its files. It has to read the mod's file after the
# mount and the game's own after the unmount.
#   case-under-wine.sh <source folder> <work folder> <helper that mounts or unmounts a mod>
# Exit 77 (reported as skipped) where the compiler or Wine is missing.
set -u
source_dir=$1
work_dir=$2
helper=$3

. "$source_dir/tests/windows/find-mingw-and-wine.sh"

mkdir -p "$work_dir"
"$compiler" -std=c++17 -O1 -Wall -Wextra -static -municode \
    "$source_dir/tests/windows/readgamefile.cpp" -o "$work_dir/readgamefile.exe" || exit 1

sandbox=$(mktemp -d)
prefix=$(mktemp -d)
trap 'WINEPREFIX="$prefix" "$server" -k 2>/dev/null; rm -rf "$prefix" "$sandbox"' EXIT

app=$sandbox/app
game=$sandbox/game
mkdir -p "$app/mods/HD Units/units" "$game/Units"
printf 'the game' > "$game/Units/UnitData.slk"
printf 'the mod' > "$app/mods/HD Units/units/unitdata.slk"
printf 'GamePath=%s\nhideEmptyMods=1\n' "$game" > "$app/config.cfg"

# What the game reads, asking for the name in its own spelling and in yet another one.
read_as_game() {
    (cd "$game" && WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        "$wine" "$work_dir/readgamefile.exe" "$1")
}

failed=0
expect() {
    if [ "$2" = "$3" ]; then
        echo "PASS: $1"
    else
        echo "FAIL: $1: read '$3', expected '$2'"
        failed=1
    fi
}

for name in 'Units\UnitData.slk' 'units\UNITDATA.SLK'; do
    expect "$name before the mount" "the game" "$(read_as_game "$name")"
done
"$helper" "$app" "HD Units" mount || { echo "FAIL: the mount reported problems"; exit 1; }
expect "no second folder beside the game's" "Units" "$(ls "$game" | grep -i '^units$' | tr '\n' ' ' | sed 's/ $//')"
for name in 'Units\UnitData.slk' 'units\UNITDATA.SLK'; do
    expect "$name after the mount" "the mod" "$(read_as_game "$name")"
done
"$helper" "$app" "HD Units" unmount || { echo "FAIL: the unmount reported problems"; exit 1; }
for name in 'Units\UnitData.slk' 'units\UNITDATA.SLK'; do
    expect "$name after the unmount" "the game" "$(read_as_game "$name")"
done
expect "the game's own names back" "Units/UnitData.slk" "$(cd "$game" && find . -type f | sed 's|^\./||')"
exit $failed
