#!/bin/bash
# pellimar-cli extract against icoutils, process against process, on the same
# files in the same run:
#   extract --format ico    vs  wrestool -x -t14 -o DIR FILES
#   extract --format png    vs  wrestool -x -t14 -o DIR FILES, then icotool -x on each icon file
# The commands take turns (A B A B ...), each writing into an empty folder (emptied
# outside the timing); the medians of wall and CPU time (user +
# system, from /usr/bin/time, else bash's own) and of the ratios A/B are printed.
# Then the outputs are checked: every image of every icon file written equals an
# icon resource of its source (as wrestool --raw dumps it), and both sides wrote
# as many files.
#
#   bench/extract_vs_tools.sh FOLDER|FILE... [-- RUNS]
#
# PELLIMAR_CLI names the program (default: build/pellimar-cli). Without wrestool or
# icotool (Debian package icoutils) the comparison is skipped with status 0; the
# check needs python3 and is skipped without it.
set -u

cli=${PELLIMAR_CLI:-build/pellimar-cli}
runs=5
files=()
while [ $# -gt 0 ]; do
    case $1 in
    --) runs=${2:-5}; shift $#; break ;;
    *) if [ -d "$1" ]; then
           for f in "$1"/*; do [ -f "$f" ] && files+=("$f"); done
       else
           files+=("$1")
       fi ;;
    esac
    shift
done
if [ ${#files[@]} -eq 0 ]; then
    echo "usage: $0 FOLDER|FILE... [-- RUNS]" >&2
    exit 2
fi
if ! command -v wrestool >/dev/null || ! command -v icotool >/dev/null; then
    echo "skipped: wrestool and icotool (package icoutils) are not installed"
    exit 0
fi
if [ ! -x "$cli" ]; then
    echo "$cli is not there: build it first, or set PELLIMAR_CLI" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/pellimar-vs-tools-XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/{ico_a,ico_b,png_a,png_b,png_b_ico}

# Seconds of wall and CPU time of one command, as "WALL CPU".
timed() {
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f '%e %U %S' -o "$work/t" "$@" >/dev/null 2>&1
        awk '{ printf "%s %.3f\n", $1, $2 + $3 }' "$work/t"
    else
        local TIMEFORMAT='%R %U %S'
        { time "$@" >/dev/null 2>&1; } 2>"$work/t"
        awk '{ printf "%s %.3f\n", $1, $2 + $3 }' "$work/t"
    fi
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The tools' PNG run needs a loop: a script of its own.
cat >"$work/tools_png.sh" <<'SCRIPT'
out=$1; shift
wrestool -x -t14 -o "$out/png_b_ico" "$@"
for f in "$out"/png_b_ico/*.ico; do icotool -x -o "$out/png_b" "$f"; done
SCRIPT

compare() {  # NAME -- COMMAND A -- COMMAND B
    local name=$1 a=() b=()
    shift 2
    while [ "$1" != -- ]; do a+=("$1"); shift; done
    shift
    b=("$@")
    : >"$work/$name.a"
    : >"$work/$name.b"
    "${a[@]}" >/dev/null 2>&1
    "${b[@]}" >/dev/null 2>&1  # one warm-up each
    for _ in $(seq "$runs"); do
        # Each run writes into empty folders, as a fresh build would.
        find "$work/${name}_a" -mindepth 1 -delete
        timed "${a[@]}" >>"$work/$name.a"
        find "$work"/"${name}"_b* -mindepth 1 -delete
        timed "${b[@]}" >>"$work/$name.b"
    done
    paste -d' ' "$work/$name.a" "$work/$name.b" >"$work/$name.ab"
    printf '%-4s wall median: pellimar-cli %ss, tools %ss, ratio A/B %s\n' "$name" \
        "$(cut -d' ' -f1 "$work/$name.a" | median)" "$(cut -d' ' -f1 "$work/$name.b" | median)" \
        "$(awk '{ if ($3 > 0) printf "%.4f\n", $1 / $3 }' "$work/$name.ab" | median)"
    printf '%-4s cpu  median: pellimar-cli %ss, tools %ss, ratio A/B %s\n' "$name" \
        "$(cut -d' ' -f2 "$work/$name.a" | median)" "$(cut -d' ' -f2 "$work/$name.b" | median)" \
        "$(awk '{ if ($4 > 0) printf "%.4f\n", $2 / $4 }' "$work/$name.ab" | median)"
}

echo "${#files[@]} files, $runs runs each, $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg)"
compare ico -- "$cli" extract -o "$work/ico_a" "${files[@]}" -- \
    wrestool -x -t14 -o "$work/ico_b" "${files[@]}"
compare png -- "$cli" extract -f png -o "$work/png_a" "${files[@]}" -- \
    sh "$work/tools_png.sh" "$work" "${files[@]}"

count() { find "$1" -type f | wc -l; }
echo "files written: ico $(count "$work/ico_a") (wrestool $(count "$work/ico_b")), png $(count "$work/png_a") (icotool $(count "$work/png_b"))"
status=0
[ "$(count "$work/ico_a")" = "$(count "$work/ico_b")" ] || { echo "FAULT: icon file counts differ"; status=1; }
[ "$(count "$work/png_a")" = "$(count "$work/png_b")" ] || { echo "FAULT: PNG file counts differ"; status=1; }

if ! command -v python3 >/dev/null; then
    echo "check skipped: python3 is not installed"
    exit $status
fi
mkdir -p "$work/raw"
for f in "${files[@]}"; do
    mkdir -p "$work/raw/$(basename "$f")"
    wrestool -x --raw -t3 -o "$work/raw/$(basename "$f")" "$f" 2>/dev/null
done
python3 - "$work" <<'PY' || status=1
import hashlib, os, struct, sys
work = sys.argv[1]
stored = set()
for root, _, names in os.walk(os.path.join(work, "raw")):
    for n in names:
        stored.add(hashlib.sha256(open(os.path.join(root, n), "rb").read()).digest())
images = faults = 0
for n in sorted(os.listdir(os.path.join(work, "ico_a"))):
    b = open(os.path.join(work, "ico_a", n), "rb").read()
    count = struct.unpack_from("<H", b, 4)[0]
    for i in range(count):
        size, offset = struct.unpack_from("<II", b, 6 + 16 * i + 8)
        images += 1
        if hashlib.sha256(b[offset:offset + size]).digest() not in stored:
            faults += 1
            print("FAULT: image %d of %s is no icon resource of its source" % (i, n))
print("checked: %d images of %d icon files equal icon resources as stored" %
      (images - faults, len(os.listdir(os.path.join(work, "ico_a")))))
sys.exit(1 if faults or images == 0 else 0)
PY
exit $status
