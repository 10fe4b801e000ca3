#!/usr/bin/env bash
# A virtual X display (Xvfb) for the tests that open windows, so that they
# never draw on, or move the pointer of, the desktop they were started from.
#
#   xvfb.sh start DIR            start a server; its display number goes to DIR/display
#   xvfb.sh stop DIR             stop the server "start" left in DIR
#   xvfb.sh run DIR PROGRAM...   run PROGRAM on DIR's display; exit 77 (CTest:
#                                skipped) when there is none
set -uo pipefail

what=${1:?usage: xvfb.sh start|stop|run DIR [PROGRAM args]}
dir=${2:?usage: xvfb.sh start|stop|run DIR [PROGRAM args]}
shift 2

stop() {
    [[ -f "$dir/xvfb.pid" ]] || return 0
    local pid
    pid=$(cat "$dir/xvfb.pid")
    # Only the server this folder started, not a process that took its number since.
    [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == Xvfb ]] && kill "$pid"
    rm -f "$dir/xvfb.pid" "$dir/display"
}

case "$what" in
start)
    mkdir -p "$dir"
    stop  # left over from a run that was cut short
    command -v Xvfb >/dev/null || { echo "xvfb.sh: Xvfb is not installed: no virtual display"; exit 0; }
    # -displayfd: the server picks a free display number and reports it.
    setsid Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$dir/display" </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/xvfb.pid"
    for ((i = 0; i < 100; i++)); do
        [[ -s "$dir/display" ]] && break
        sleep 0.1
    done
    [[ -s "$dir/display" ]] || { echo "xvfb.sh: Xvfb did not start"; stop; exit 1; }
    echo "xvfb.sh: display :$(tr -dc 0-9 <"$dir/display")"
    ;;
stop)
    stop
    ;;
run)
    if [[ ! -s "$dir/display" ]]; then
        echo "skipped: no virtual X display (Xvfb) to run on"
        exit 77
    fi
    DISPLAY=":$(tr -dc 0-9 <"$dir/display")" exec "$@"
    ;;
*)
    echo "usage: xvfb.sh start|stop|run DIR [PROGRAM args]" >&2
    exit 2
    ;;
esac
