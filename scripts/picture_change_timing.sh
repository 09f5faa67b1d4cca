#!/usr/bin/env bash
# The time from the slideshow timer's tick to the first frame of each
# picture's transition, as the show's statistics print it, with 24-megapixel
# camera-sized JPEGs on a 1920x1080 virtual screen.
#
#   scripts/picture_change_timing.sh BIN_DIR [SECONDS]
#
# BIN_DIR holds vantor-pack and vantor-saver (SAVER=path picks another
# program to pack, to compare two builds). The photos are made from the
# desktop wallpapers once and kept in PHOTOS (default /tmp/vantor-24mp).
set -euo pipefail
bin=$(cd "${1:?usage: $0 BIN_DIR [SECONDS]}" && pwd)
seconds=${2:-20}
saver=${SAVER:-$bin/vantor-saver}
photos=${PHOTOS:-/tmp/vantor-24mp}

mkdir -p "$photos"
n=0
for wallpaper in Volna SafeLanding Shell Honeywave; do
  n=$((n + 1))
  out=$photos/photo$n.jpg
  [ -s "$out" ] && continue
  # The last one is progressive, as some cameras and editors write them.
  interlace=()
  [ $n = 4 ] && interlace=(-interlace Plane)
  convert "/usr/share/wallpapers/$wallpaper/contents/images/5120x2880.jpg" \
    -resize 6000x4000^ -gravity center -extent 6000x4000 -quality 92 "${interlace[@]}" "$out"
done

work=$(mktemp -d)
xpid=
cleanup() {
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

{
  printf '[Set]\r\nImageInterval=1\r\nImageSequence=0\r\nuseeffects=1,2,3,4,5,\r\nPlayMusic=0\r\n'
  printf '[Pictures]\r\n'
  for p in "$photos"/photo*.jpg; do printf '%s=1\r\n' "$(basename "$p")"; done
} > "$work/show.ini"
"$bin/vantor-pack" --program "$saver" --settings "$work/show.ini" --out "$work/show.scr" \
  "$photos"/photo*.jpg > /dev/null
chmod 755 "$work/show.scr"

Xvfb -displayfd 4 -screen 0 1920x1080x24 -nolisten tcp 4> "$work/display" 2> /dev/null &
xpid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -n1 "$work/display")

mkdir -m 700 "$work/run"
env DISPLAY="$display" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" \
  XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb VANTOR_SHOW_STATS=1 \
  timeout -k 2 "$seconds" "$work/show.scr" /s 2> "$work/stats" || true

grep '^show:' "$work/stats" | grep -v 'frames/s' || true
grep -o 'first frame [0-9.]* ms after the tick' "$work/stats" | awk '{print $3}' | sort -n |
  awk '{v[NR] = $1} END {
    if (NR == 0) { print "no picture change seen"; exit 1 }
    printf "picture changes: %d, tick to first frame: min %.1f ms, median %.1f ms, max %.1f ms\n",
      NR, v[1], v[int((NR + 1) / 2)], v[NR] }'
