#!/usr/bin/env bash
# Start-up and transition pacing of the demo show on a virtual screen, as the
# show's statistics print them: the time from the process start to the first
# frame, and for every transition its frames and duration against the 750 ms
# that 25 frames of 30 ms take at speed 3.
#
#   scripts/show_timing.sh BIN_DIR [WIDTHxHEIGHT] [SECONDS] [RUNS]
#
# BIN_DIR holds vantor-pack and vantor-saver (SAVER=path packs another
# program, to compare two builds). The pictures are the demo's: the first
# eight desktop wallpapers of more than 200 kB.
set -euo pipefail
bin=$(cd "${1:?usage: $0 BIN_DIR [WIDTHxHEIGHT] [SECONDS] [RUNS]}" && pwd)
size=${2:-1920x1080}
seconds=${3:-20}
runs=${4:-1}
saver=${SAVER:-$bin/vantor-saver}

work=$(mktemp -d)
xpid=
cleanup() {
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mapfile -t photos < <(find /usr/share/wallpapers -name '*.jpg' -size +200k | sort | head -n 8)
{
  printf '[Set]\r\nImageInterval=1\r\nImageSequence=0\r\nEffectSpeed2=3\r\nPlayMusic=0\r\n'
  printf '[Caption]\r\nPosition=3\r\nFontSize=18\r\n[Pictures]\r\n'
  i=0
  for p in "${photos[@]}"; do i=$((i + 1)); printf 'photo%d.jpg=1\r\n' "$i"; done
} > "$work/show.ini"
items=()
i=0
for p in "${photos[@]}"; do
  i=$((i + 1))
  ln -s "$p" "$work/photo$i.jpg"
  items+=("$work/photo$i.jpg")
done
"$bin/vantor-pack" --program "$saver" --settings "$work/show.ini" --out "$work/show.scr" \
  "${items[@]}" > /dev/null
chmod 755 "$work/show.scr"

Xvfb -displayfd 4 -screen 0 "${size}x24" -nolisten tcp 4> "$work/display" 2> /dev/null &
xpid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -n1 "$work/display")

for run in $(seq "$runs"); do
  rm -rf "$work/run" "$work/config" "$work/data"
  mkdir -m 700 "$work/run"
  env DISPLAY="$display" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" \
    XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb VANTOR_SHOW_STATS=1 \
    timeout -k 2 "$seconds" "$work/show.scr" /s 2> "$work/stats" || true
  first=$(grep -o 'first frame on screen [0-9]* ms' "$work/stats" | awk '{print $5}')
  grep -o 'style [0-9]* at [0-9x]*: [0-9]* frames in [0-9]* ms' "$work/stats" |
    awk -v run="$run" -v first="${first:-none}" '
      { ms = $8; n++; sum += ms; if (ms > max) max = ms
        if (ms > 750 * 1.05 || ms < 750 * 0.95) off++
        print "  " $0 }
      END { printf "run %d: first frame %s ms; %d transitions, mean %.0f ms, max %.0f ms, %d outside 750 ms +-5%%\n",
              run, first, n, n ? sum / n : 0, max, off }'
done
