#!/bin/bash
# Copies a few of the Windows programs and libraries of Debian's wine64 package,
# with icons and without, into FOLDER for the README's screenshots.
set -eu
src=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
mkdir -p "$1"
for f in cmd.exe comctl32.dll comdlg32.dll hh.exe iexplore.exe kernel32.dll msiexec.exe \
    notepad.exe regedit.exe taskmgr.exe user32.dll winecfg.exe winefile.exe winemine.exe \
    winhlp32.exe wordpad.exe zlib1.dll; do
    cp "$src/$f" "$1/"
done
