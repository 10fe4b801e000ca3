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
ninja -C "$BUILD" HokMaximizer hok-bench hok-stage-bench $( ((HAVE_VSTBENCH)) && echo vstbench) >/dev/null

PLUGIN=$BUILD/HokMaximizer.so
echo "== Hok Maximizer through its record (CPU time, $SECONDS_OF_AUDIO s of audio per line)"
"$BUILD/hok-bench" --plugin "$PLUGIN" --seconds "$SECONDS_OF_AUDIO"

echo
echo "== the per-sample stages alone"
"$BUILD/hok-stage-bench"

if ((!HAVE_VSTBENCH)); then
    echo
    echo "== peers skipped: the vstbench host source (/work/shared/tools/vstbench.c) is not on this machine"
    exit 0
fi

echo
echo "== peers, same host and signal (vstbench), realtime factors and the targets"
# Every stage on: EQ on with the four boosts off neutral, Falling SK, linked
# (normalised values, as vstbench sets them).
EVERY_STAGE=(15=1 6=0.13 7=0.65 8=0.4 9=0.65 3=1 5=1)
# vstbench_rtf <library> <rate> <block> [index=value ...]: the realtime factor.
vstbench_rtf() {
    local lib=$1 rate=$2 block=$3 line
    shift 3
    line=$("$BUILD/vstbench" "$lib" "$SECONDS_OF_AUDIO" "$block" "$rate" "$@" | tail -n 1)
    local rtf=${line##*rtf=}
    echo "${rtf%% *}"
}
# One line per configuration: ours, each installed peer, and our factor over
# the LSP limiter's against the target ratio.
printf '%-16s %6s %5s %10s' "configuration" "rate" "block" "Hok"
for peer in "${PEERS[@]}"; do
    IFS='|' read -r name _ _ <<<"$peer"
    printf ' %20s' "$name"
done
printf ' %10s %7s\n' "Hok/LSP" "target"
status=0
for config in "default|44100|512|2.0" "every stage on|44100|512|1.2" "default|96000|64|2.0" "every stage on|96000|64|1.2"; do
    IFS='|' read -r cname rate block target <<<"$config"
    settings=()
    [[ $cname == "every stage on" ]] && settings=("${EVERY_STAGE[@]}")
    hok=$(vstbench_rtf "$PLUGIN" "$rate" "$block" "${settings[@]}")
    printf '%-16s %6s %5s %10s' "$cname" "$rate" "$block" "x$hok"
    lsp=""
    for peer in "${PEERS[@]}"; do
        IFS='|' read -r name lib _ <<<"$peer"
        if [[ ! -f $lib ]]; then
            printf ' %20s' "not installed"
            continue
        fi
        rtf=$(vstbench_rtf "$lib" "$rate" "$block")
        [[ $name == LSP* ]] && lsp=$rtf
        printf ' %20s' "x$rtf"
    done
    if [[ -n $lsp ]]; then
        verdict=$(awk -v h="$hok" -v l="$lsp" -v t="$target" \
            'BEGIN { r = h / l; printf "%10.2f %7s %s", r, t, (r >= t ? "met" : "NOT MET") }')
        printf ' %s\n' "$verdict"
    else
        printf '\n'
    fi
done
