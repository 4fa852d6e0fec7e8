# Sourced by the checks under Wine: finds MinGW-w64's compiler and Wine, or exits with 77
# (reported as skipped) where either is missing. Sets $compiler, $wine and $server.
compiler=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++ || true)
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || true)
if [ -z "$compiler" ] || [ -z "$wine" ]; then
    echo "SKIP: needs g++-mingw-w64-x86-64-posix and wine64"
    exit 77
fi
server=$(dirname "$wine")/wineserver64
[ -x "$server" ] || server=wineserver
