#!/usr/bin/env bash
# What one crafted input makes extract and save write and hold: a 1 MB library
# whose 257 icon groups each name its one 1 MB image 255 times (257 files of
# 255 MB, were nothing capped). Prints each run's exit status, wall time, peak
# memory and the bytes written; extract must stop at the output cap (exit 1).
# Then a 160 MB library of 8 groups, each of one distinct 20 MB image: extract
# writes all of it (exit 0) holding about 64 MB beyond the group it is writing.
#   bench/output_caps.sh BUILD_DIR   (BUILD_DIR holds pellimar-cli and write_sample_files)
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/var/tmp}/pellimar-caps-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$build/write_sample_files" "$work/in" --crafted
measure() {
  local label=$1; shift
  local status=0
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || status=$?
  read -r wall peak < <(tail -n 1 "$work/time")
  printf '%-28s exit %d, %6.2f s, peak %6d KB, wrote %s\n' "$label" "$status" "$wall" "$peak" \
    "$(du -sb "$work/out" 2>/dev/null | cut -f1) bytes"
  { grep -v "^Command exited" "$work/err" || true; } | sed 's/^/    /' | head -n 3
  rm -rf "$work/out"
}
measure "extract --format ico" "$build/pellimar-cli" extract --out "$work/out" "$work/in/crafted.dll"
mkdir -p "$work/out"
measure "save --format original" "$build/pellimar-cli" save --format original \
  --out "$work/out/saved.ico" "$work/in/crafted.dll" 0
measure "extract, 8 x 20 MB images" "$build/pellimar-cli" extract --out "$work/out" \
  "$work/in/distinct.dll"
