#!/bin/sh
# Start-up of the main window against a plain Qt main window with a menu bar,
# side by side: each program is started on an X display of its own (Xvfb, no
# window manager) and timed from its start to the first MapNotify of a
# top-level window; the runs alternate, and the medians and their ratio are
# printed.
#
#   bench/startup_vs_plain_window.sh BUILD_DIR [RUNS]
#
# BUILD_DIR holds `pellimar` and `bench_plain_window` (a build with the benchmarks
# on). Needs Xvfb, a C compiler and the X11 headers (libx11-dev).
set -eu
build=$(cd "$1" && pwd)
runs=${2:-15}
program="$build/pellimar"
plain="$build/bench_plain_window"
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

# The timer: starts the command and waits for the first window mapped on the root.
cat >"$work/map_timer.c" <<'C'
#include <X11/Xlib.h>
#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
int main(int argc, char** argv) {
    Display* d = XOpenDisplay(NULL);
    if (!d) return 2;
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    pid_t child = fork();
    if (child == 0) {
        execv(argv[1], argv + 1);
        _exit(127);
    }
    for (;;) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == MapNotify) break;
    }
    clock_gettime(CLOCK_MONOTONIC, &t1);
    kill(child, SIGTERM);
    waitpid(child, NULL, 0);
    printf("%.1f\n", (t1.tv_sec - t0.tv_sec) * 1e3 + (t1.tv_nsec - t0.tv_nsec) / 1e6);
    return 0;
}
C
cc -O2 -o "$work/map_timer" "$work/map_timer.c" -lX11

display=:$((90 + $$ % 9))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY="$display" XDG_CONFIG_HOME="$work/config" HOME="$work"
mkdir -p "$work/config"
# A first start writes the settings files: not part of the timing.
"$work/map_timer" "$program" >/dev/null

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
: >"$work/plain"; : >"$work/main"
i=0
while [ "$i" -lt "$runs" ]; do
    "$work/map_timer" "$plain" >>"$work/plain"
    "$work/map_timer" "$program" >>"$work/main"
    i=$((i + 1))
done
p=$(median <"$work/plain")
m=$(median <"$work/main")
echo "plain Qt window: median $p ms over $runs runs"
echo "main window:     median $m ms over $runs runs"
echo "ratio:           $(echo "$m $p" | awk '{printf "%.2f", $1 / $2}')"
