#!/bin/sh
# Builds the sprite-sheet generator and writes resources/SkinBitmap.bmp.
# Needs g++, libcairo2-dev and fonts-dejavu-core. Same bytes on every run.
#   resources/make-skin.sh [preview.png]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=${TMPDIR:-/tmp}/hok-make-skin.$$
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -Wall -Wextra -Werror -o "$work/make_skin" "$here"/skin/*.cpp $(pkg-config --cflags --libs cairo)
"$work/make_skin" "$here/SkinBitmap.bmp" "$@"
echo "wrote $here/SkinBitmap.bmp"
