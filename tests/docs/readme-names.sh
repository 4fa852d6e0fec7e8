#!/bin/sh
# Every file, folder, class and function that the README's developer tables name in backticks
# must be in the tree, so that the tables cannot drift from the code unnoticed.
#   readme-names.sh <source root>
set -u
root=$1

in_tree() {
    case "$1" in
    */*) [ -e "$root/$1" ] ;;
    *.cpp | *.h | *.ui) [ -n "$(find "$root/src" "$root/tests" -name "$1")" ] ;;
    *)
        # A qualified name: each of its parts is a word of the source.
        for part in $(echo "$1" | sed 's/::/ /g'); do
            grep -rqw -- "$part" "$root/src" "$root/CMakeLists.txt" || return 1
        done
        ;;
    esac
}

missing=$(
    sed -n '/^## For developers/,$p' "$root/README.md" | grep '^|' | grep -o '`[^`]*`' |
        tr -d '`' | sort -u | while read -r name; do
        in_tree "$name" || echo "$name"
    done
)
if [ -n "$missing" ]; then
    echo "README.md's developer tables name what the tree does not hold:"
    echo "$missing" | sed 's/^/  /'
    exit 1
fi
echo "README.md's developer tables name only what the tree holds."
