#!/usr/bin/env bash
# Xfce's thumbnail service (tumbler) in a private D-Bus session, asked for the
# thumbnails of a PE32+ program, a PE32 library, an NE library and a cursor file
# through the installed thumbnailer entry and program: each must come back as a PNG.
#   tumbler_check.sh PREFIX WRITE_SAMPLE_FILES
# Exit 77 (skipped) only when tumbler or D-Bus's tools are not installed.
set -euo pipefail
prefix=$1
writer=$2
tumblerd=$(ls /usr/lib/*/tumbler-1/tumblerd /usr/lib/tumbler-1/tumblerd 2>/dev/null | head -n 1 || true)
for tool in dbus-run-session gdbus md5sum; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (tools/install-deps.sh)"; exit 77; }
done
[ -n "$tumblerd" ] || { echo "SKIP: tumbler is not installed (Debian package tumbler)"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$writer" "$work/files"
mkdir -p "$work/cache" "$work/home" "$work/config"
export XDG_DATA_DIRS="$prefix/share:/usr/local/share:/usr/share"
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" HOME="$work/home"
# The programs load libpellimar, installed beside them in the scratch tree.
library=$(find "$prefix" -name 'libpellimar.so.1' -print -quit)
[ -n "$library" ] && export LD_LIBRARY_PATH="$(dirname "$library")${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
# The thumbnailer is started through a wrapper that notes each file it is given,
# so a thumbnail tumbler makes by other means (its own image plugins) does not pass.
mkdir -p "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/calls"\nexec "%s/bin/pellimar-thumbnailer" "$@"\n' \
  "$work" "$prefix" >"$work/bin/pellimar-thumbnailer"
chmod +x "$work/bin/pellimar-thumbnailer"
export PATH="$work/bin:$prefix/bin:$PATH"
export TUMBLERD="$tumblerd" WORK="$work"

dbus-run-session -- bash -c '
  set -euo pipefail
  "$TUMBLERD" >"$WORK/tumblerd.log" 2>&1 &
  daemon=$!
  trap "kill $daemon 2>/dev/null || true" EXIT
  call() {
    gdbus call --session --dest org.freedesktop.thumbnails.Thumbnailer1 \
      --object-path /org/freedesktop/thumbnails/Thumbnailer1 \
      --method org.freedesktop.thumbnails.Thumbnailer1.Queue "$@" >/dev/null
  }
  # Waits for the daemon started here without asking the bus for the name, which
  # would start a second daemon through D-Bus activation: the two race for the
  # name and the loser exits, taking its queued work with it.
  gdbus wait --session --timeout 10 org.freedesktop.thumbnails.Thumbnailer1
  failed=0
  for entry in program64.exe:application/x-ms-dos-executable \
               library32.dll:application/x-msdownload \
               library16.dll:application/x-ms-ne-executable \
               arrow.cur:image/x-win-bitmap; do
    name=${entry%%:*} mime=${entry#*:}
    uri="file://$WORK/files/$name"
    thumb="$XDG_CACHE_HOME/thumbnails/normal/$(printf %s "$uri" | md5sum | cut -d" " -f1).png"
    call "[\"$uri\"]" "[\"$mime\"]" normal default 0
    for i in $(seq 200); do [ -s "$thumb" ] && break; sleep 0.1; done
    if [ -s "$thumb" ] && [ "$(head -c 4 "$thumb" | od -An -c | tr -d " ")" = "211PNG" ] &&
       grep -qF "$WORK/files/$name " "$WORK/calls" 2>/dev/null; then
      echo "ok: $name ($mime) -> $(stat -c %s "$thumb") bytes of PNG"
    else
      echo "FAILED: no thumbnail of $name ($mime) from pellimar-thumbnailer"
      failed=1
    fi
  done
  if [ $failed != 0 ]; then cat "$WORK/tumblerd.log"; exit 1; fi
'
