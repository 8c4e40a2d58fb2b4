#!/bin/bash
# Captures the main window after a real scan of FOLDER, in one view style.
# Build:  cmake -S tools/screenshot -B /tmp/shot -G Ninja && cmake --build /tmp/shot
# Run:    xvfb-run -a -s '-screen 0 1280x800x24' tools/screenshot/snap.sh /tmp/shot/shot FOLDER detail out.png
# Styles: detail, thumb, list; also tips, about and menu to look at those.
# The README's pictures scan a copy of a few of the Windows programs and libraries
# of Debian's wine64 package (see sample.sh).
set -u
dir=$(mktemp -d)
cp "$(dirname "$0")/../../data/tips.dat" "$dir/"
"$1" "$dir" "$2" "$3" &
pid=$!
sleep 3
import -window root -crop 1000x600+20+20 +repage "$4"
kill $pid
rm -rf "$dir"
