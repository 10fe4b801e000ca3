#!/usr/bin/env bash
# The demonstration: synthesises a hot 20-second stereo mix (drums, bass,
# pads), renders it through the built plug-in with the default settings, with
# a louder one and mastered to a loudness goal, prints the summaries and
# paints the editor.
#
#   tools/demo.sh          (./hok demo builds first, then runs this)
# Writes out/demo-in.wav, out/demo-out.wav, out/demo-out-loud.wav,
# out/demo-master.flac and out/editor.png in the repository. HOK_BUILD_DIR as
# for ./hok.
set -euo pipefail

ROOT=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." && pwd)
BUILD=${HOK_BUILD_DIR:-$ROOT/build}/native
OUT=$ROOT/out

# Build what the demo runs, if it is not there or out of date.
if [[ ! -f $BUILD/CMakeCache.txt ]]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
fi
ninja -C "$BUILD" hok-render hok-demo-signal >/dev/null

mkdir -p "$OUT"
RENDER=("$BUILD/hok-render")

echo "== demonstration signal"
"$BUILD/hok-demo-signal" "$OUT/demo-in.wav" 20

echo
echo "== default settings"
"${RENDER[@]}" --editor-png "$OUT/editor.png" "$OUT/demo-in.wav" "$OUT/demo-out.wav"

echo
echo "== louder: 6 dB more drive, smoothed gain with the soft knee, output 0.3 dB under full scale"
"${RENDER[@]}" --set "Limiter Gain=+6" --set "Algorithm=Smooth SK" --set "Out Gain=-0.3" \
    "$OUT/demo-in.wav" "$OUT/demo-out-loud.wav"

echo
echo "== mastered: the drive and output gain chosen for -9 LUFS with true peaks at or under -1 dBTP, as FLAC"
"${RENDER[@]}" --set "Algorithm=Smooth SK" --target-lufs -9 --true-peak-ceiling -1 \
    "$OUT/demo-in.wav" "$OUT/demo-master.flac"

echo
echo "demo: files in $OUT: demo-in.wav, demo-out.wav, demo-out-loud.wav, demo-master.flac, editor.png"
