#!/bin/sh
# Converts the example crystal with a 3 by 2 tiling and, when POV-Ray is
# installed, renders the scene to a PNG next to it.
#   usage: examples/render.sh path/to/tilegrid
set -eu

if [ $# -ne 1 ]; then
    echo "usage: $0 path/to/tilegrid" >&2
    exit 2
fi
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
cd "$(dirname "$0")"

# The scene is written next to the crystal file: silicide.pov.
"$program" silicide.cry 3 2

if ! command -v povray >/dev/null 2>&1; then
    echo "povray is not installed: not rendering $(pwd)/silicide.pov"
    exit 0
fi
# POV-Ray prints its banner and statistics on standard error; they are kept
# out of the way unless the render fails. It runs here so that it may write
# into this folder.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! povray +Isilicide.pov +Osilicide.png +FN +W640 +H480 +A -D >"$log" 2>&1; then
    cat "$log" >&2
    echo "povray could not render silicide.pov" >&2
    exit 1
fi
echo "Picture: $(pwd)/silicide.png"
