#!/usr/bin/env bash
# Benchmarks of the Linux build: the plug-in's own configurations (hok-bench),
# then the same minimal host (vstbench) timing Hok Maximizer and two Debian
# limiters as peers, with the realtime factors and the CPU ratios.
#
#   bench/run.sh [seconds]      (default 30 seconds of audio per run)
# HOK_BUILD_DIR as for ./hok (the Linux build is HOK_BUILD_DIR/native).
set -euo pipefail

ROOT=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." && pwd)
BUILD=${HOK_BUILD_DIR:-$ROOT/build}/native
SECONDS_OF_AUDIO=${1:-30}
PEERS=(
    "LSP Limiter Stereo|/usr/lib/vst/lsp-plugins/limiter-stereo.so|lsp-plugins-vst"
    "ZaMaximX2|/usr/lib/vst/ZaMaximX2-vst.so|zam-plugins"
)

# Peers come from Debian; install them when missing and we may.
missing=()
for peer in "${PEERS[@]}"; do
    IFS='|' read -r _ lib pkg <<<"$peer"
    [[ -f $lib ]] || missing+=("$pkg")
done
if ((${#missing[@]})) && [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null; then
    echo "bench: installing ${missing[*]}" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null || true
fi

# Benchmarks need an optimised build, as ./hok makes it.
if [[ ! -f $BUILD/CMakeCache.txt ]]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
fi
# vstbench exists only where its source does (see bench/CMakeLists.txt).
HAVE_VSTBENCH=0
if ninja -C "$BUILD" -t targets all | grep -q '^vstbench:'; then HAVE_VSTBENCH=1; fi
ninja -C "$BUILD" HokMaximizer hok-bench $( ((HAVE_VSTBENCH)) && echo vstbench) >/dev/null

PLUGIN=$BUILD/HokMaximizer.so
echo "== Hok Maximizer through its record (CPU time, $SECONDS_OF_AUDIO s of audio per line)"
"$BUILD/hok-bench" --plugin "$PLUGIN" --seconds "$SECONDS_OF_AUDIO"

if ((!HAVE_VSTBENCH)); then
    echo
    echo "== peers skipped: the vstbench host source (/work/shared/tools/vstbench.c) is not on this machine"
    exit 0
fi

echo
echo "== peers, same host and signal (vstbench, 44100 Hz, block 512)"
# run_peer <name> <library>: prints the line and remembers the realtime factor.
declare -A RTF=()
run_peer() {
    local name=$1 lib=$2 line
    if [[ ! -f $lib ]]; then
        printf '%-20s not installed (%s)\n' "$name" "$lib"
        return
    fi
    line=$("$BUILD/vstbench" "$lib" "$SECONDS_OF_AUDIO" 512 44100 | tail -n 1)
    local rtf=${line##*rtf=}
    rtf=${rtf%% *}
    local ns=${line##*ns_per_frame=}
    RTF[$name]=$rtf
    printf '%-20s realtime x%-8s %8s ns/frame   (%s)\n' "$name" "$rtf" "$ns" "$line"
}
run_peer "Hok Maximizer" "$PLUGIN"
for peer in "${PEERS[@]}"; do
    IFS='|' read -r name lib _ <<<"$peer"
    run_peer "$name" "$lib"
done

echo
echo "== ratios (CPU of Hok Maximizer relative to each peer; above 1 means Hok is slower)"
for peer in "${PEERS[@]}"; do
    IFS='|' read -r name _ _ <<<"$peer"
    [[ -n ${RTF[$name]:-} && -n ${RTF["Hok Maximizer"]:-} ]] || continue
    awk -v peer="${RTF[$name]}" -v hok="${RTF["Hok Maximizer"]}" -v n="$name" \
        'BEGIN { printf "%-20s %.3g\n", n, peer / hok }'
done
