#!/usr/bin/env bash
# Runs a Windows program of the MinGW builds under wine: CTest's emulator for
# them (CMAKE_CROSSCOMPILING_EMULATOR in the toolchain files).
#
#   wine-run.sh i686|x86_64 PROGRAM.exe [args]   run a program
#   wine-run.sh i686|x86_64 --start              make the prefix, start a display
#   wine-run.sh i686|x86_64 --stop               stop the wine server and the display
#
# WINEPREFIX names the private prefix (made on first use). HOK_TEST_SESSION,
# when set, is a folder shared by --start, the runs and --stop: it holds the
# virtual display (xvfb.sh) that windows are drawn on and what was found out
# about 32-bit support. Exit code 77 means this machine cannot run the
# program (CTest shows the test as skipped).
set -uo pipefail

arch=${1:?usage: wine-run.sh i686|x86_64 --start|--stop|PROGRAM [args]}
shift
: "${WINEPREFIX:?WINEPREFIX must name the prefix to run in}"
export WINEPREFIX WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko prompts, no menu entries written into the user's desktop,
# and no crash debugger: its dialog would hold a crashed test until the timeout.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"
session=${HOK_TEST_SESSION:-}
xvfb=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/xvfb.sh

note() { printf 'wine-run: %s\n' "$*" >&2; }

wine64=$(command -v wine64 || { [[ -x /usr/lib/wine/wine64 ]] && echo /usr/lib/wine/wine64; } || command -v wine)
wine32=$(command -v wine)
wineserver=$(command -v wineserver)

# A 64-bit prefix (it runs 32-bit programs through wow64), made once; a lock
# keeps two builds from making it at the same time.
make_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 8>"$WINEPREFIX.lock"
    flock 8
    if [[ ! -f "$WINEPREFIX/system.reg" || ! -f "$WINEPREFIX/.hok-ready" ]]; then
        note "creating wine prefix $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        timeout 300 "$wine64" wineboot -i </dev/null >/dev/null 2>&1
        timeout 120 "$wineserver" -w 2>/dev/null
        [[ -f "$WINEPREFIX/system.reg" ]] || { note "wineboot did not make the prefix"; return 1; }
        touch "$WINEPREFIX/.hok-ready"
    fi
    exec 8>&-
}

# Why this machine cannot run 32-bit Windows programs; empty when it can.
# Some kernels are booted with 32-bit emulation off, and where 32-bit code
# only runs through an emulator (binfmt), wine32 may start and never answer,
# so a small program must answer within WINE32_PROBE_SECONDS.
why_not_32bit() {
    local d rc=0
    d=$(mktemp -d)
    printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$d/exit42.s"
    if ! as --32 "$d/exit42.s" -o "$d/exit42.o" 2>/dev/null || ! ld -m elf_i386 "$d/exit42.o" -o "$d/exit42" 2>/dev/null; then
        echo "cannot build a 32-bit probe (as, ld)"
    else
        "$d/exit42" 2>/dev/null || rc=$?
        if [[ $rc != 42 ]]; then
            echo "this machine's kernel does not run 32-bit x86 code (32-bit emulation is off)"
        else
            printf '#include <stdio.h>\nint main(void) { puts("wine32 ok"); return 0; }\n' >"$d/probe.c"
            if ! i686-w64-mingw32-gcc-posix -O2 "$d/probe.c" -o "$d/probe.exe" 2>/dev/null ||
                ! timeout -k 5 "${WINE32_PROBE_SECONDS:-90}" "$wine32" "$d/probe.exe" </dev/null 2>/dev/null |
                tr -d '\r' | grep -qx "wine32 ok"; then
                echo "wine does not run a 32-bit Windows program on this machine (a probe gave no answer within ${WINE32_PROBE_SECONDS:-90} s)"
            fi
        fi
    fi
    rm -rf "$d"
}

case "${1:-}" in
--start)
    [[ -n "$session" ]] || { note "--start needs HOK_TEST_SESSION"; exit 2; }
    mkdir -p "$session"
    rm -f "$session/runs-32bit"
    make_prefix && "$xvfb" start "$session"
    exit
    ;;
--stop)
    [[ -f "$WINEPREFIX/system.reg" ]] && "$wineserver" -k >/dev/null 2>&1
    [[ -n "$session" ]] && "$xvfb" stop "$session" && rm -f "$session/runs-32bit"
    exit 0
    ;;
"")
    note "no program given"
    exit 2
    ;;
esac

[[ -n "$session" && -s "$session/display" ]] && export DISPLAY=":$(tr -dc 0-9 <"$session/display")"
wine=$wine64
if [[ "$arch" == i686 ]]; then
    wine=$wine32
    verdict=$session/runs-32bit
    if [[ -n "$session" && -f "$verdict" ]]; then
        why=$(cat "$verdict")
    else
        make_prefix || exit 1
        why=$(why_not_32bit)
        [[ -n "$session" ]] && printf '%s' "$why" >"$verdict"
    fi
    if [[ -n "$why" ]]; then
        echo "skipped: $why"
        exit 77
    fi
fi
make_prefix || exit 1
exec "$wine" "$@"
