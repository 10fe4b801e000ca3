#!/bin/sh
# Builds the sprite-sheet generator and writes resources/SkinBitmap.bmp.
# Needs g++, pkg-config, libcairo2-dev, fonts-dejavu-core and
# fonts-dejavu-extra (the condensed faces). Same bytes on every run.
#   resources/make-skin.sh [preview.png]
set -eu
# Refuse to draw with substitute fonts: the artwork would silently change.
check_font() {
    file=$(fc-match -f '%{file}' "$1")
    case "$file" in
    */"$2") ;;
    *) echo "make-skin: font '$1' resolves to '$file', not $2; install fonts-dejavu-core and fonts-dejavu-extra" >&2
       exit 1 ;;
    esac
}
check_font "DejaVu Sans" DejaVuSans.ttf
check_font "DejaVu Sans:bold" DejaVuSans-Bold.ttf
check_font "DejaVu Sans Condensed" DejaVuSansCondensed.ttf
check_font "DejaVu Sans Condensed:bold" DejaVuSansCondensed-Bold.ttf
here=$(cd "$(dirname "$0")" && pwd)
work=${TMPDIR:-/tmp}/hok-make-skin.$$
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -Wall -Wextra -Werror -I "$here/.." -o "$work/make_skin" "$here"/skin/*.cpp $(pkg-config --cflags --libs cairo)
"$work/make_skin" "$here/SkinBitmap.bmp" "$@"
echo "wrote $here/SkinBitmap.bmp"
