#!/bin/bash
# Captures the main window with demonstration rows in one view style.
# Build:  cmake -S tools/screenshot -B /tmp/shot -G Ninja && cmake --build /tmp/shot
# Run:    xvfb-run -a -s '-screen 0 1280x800x24' tools/screenshot/snap.sh /tmp/shot/shot detail out.png
# Styles: detail, thumb, list; also tips, about and menu to look at those.
set -u
dir=$(mktemp -d)
cp "$(dirname "$0")/../../data/tips.dat" "$dir/"
"$1" "$dir" "$2" &
pid=$!
sleep 2.5
import -window root -crop 1000x600+20+20 +repage "$3"
kill $pid
rm -rf "$dir"
