#!/usr/bin/env bash
# The show's timings on a virtual screen, as its statistics print them
# (VANTOR_SHOW_STATS=1): the time from the process start to the first frame
# on the screen, every transition's frames and duration against the 750 ms
# that 25 frames of 30 ms take at speed 3, and at every picture change the
# time from the slideshow timer's tick to the transition's first frame.
#
#   scripts/show_timing.sh MODE BIN_DIR [WIDTHxHEIGHT] [SECONDS] [RUNS]
#
# MODE picks the pictures:
#   demo    the demo's: the first eight desktop wallpapers of more than
#           200 kB, with captions, as scripts/demo.sh packs them;
#   photos  four 24-megapixel camera-sized JPEGs (the last progressive),
#           made from the wallpapers once and kept in PHOTOS (default
#           /tmp/vantor-24mp).
# BIN_DIR holds vantor-pack and vantor-saver (SAVER=path packs another
# program, to compare two builds). Defaults: 1920x1080, 20 seconds, 1 run.
# Each run prints its figures; the last line gives the medians over the runs.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
usage="usage: $0 demo|photos BIN_DIR [WIDTHxHEIGHT] [SECONDS] [RUNS]"
mode=${1:?$usage}
bin=$(cd "${2:?$usage}" && pwd)
size=${3:-1920x1080}
seconds=${4:-20}
runs=${5:-1}
saver=${SAVER:-$bin/vantor-saver}

make_work_folder

items=()
case "$mode" in
  demo)
    mapfile -t found < <(find /usr/share/wallpapers -name '*.jpg' -size +200k | sort | head -n 8)
    write_wallpaper_settings "$(printf 'ImageInterval=1\r\nImageSequence=0\r\nEffectSpeed2=3\r\nPlayMusic=0\r\n')" \
      "${found[@]}" > "$work/show.ini"
    i=0
    for p in "${found[@]}"; do
      i=$((i + 1))
      ln -s "$p" "$work/photo$i.jpg"
      items+=("$work/photo$i.jpg")
    done
    ;;
  photos)
    photos=${PHOTOS:-/tmp/vantor-24mp}
    mkdir -p "$photos"
    n=0
    for wallpaper in Volna SafeLanding Shell Honeywave; do
      n=$((n + 1))
      out=$photos/photo$n.jpg
      items+=("$out")
      [ -s "$out" ] && continue
      # The last one is progressive, as some cameras and editors write them.
      interlace=()
      [ $n = 4 ] && interlace=(-interlace Plane)
      convert "/usr/share/wallpapers/$wallpaper/contents/images/5120x2880.jpg" \
        -resize 6000x4000^ -gravity center -extent 6000x4000 -quality 92 "${interlace[@]}" "$out"
    done
    {
      printf '[Set]\r\nImageInterval=1\r\nImageSequence=0\r\nEffectSpeed2=3\r\n'
      printf 'useeffects=1,2,3,4,5,\r\nPlayMusic=0\r\n[Pictures]\r\n'
      for p in "${items[@]}"; do printf '%s=1\r\n' "$(basename "$p")"; done
    } > "$work/show.ini"
    ;;
  *)
    echo "$usage" >&2
    exit 2
    ;;
esac
"$bin/vantor-pack" --program "$saver" --settings "$work/show.ini" --out "$work/show.scr" \
  "${items[@]}" > /dev/null
chmod 755 "$work/show.scr"

start_xvfb "$size"

echo "$mode at $size, $seconds s a run, load average $(cut -d' ' -f1-3 /proc/loadavg)"
for run in $(seq "$runs"); do
  rm -rf "$work/run" "$work/config" "$work/data"
  mkdir -m 700 "$work/run"
  env DISPLAY="$display" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" \
    XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb VANTOR_SHOW_STATS=1 \
    timeout -k 2 "$seconds" "$work/show.scr" /s 2> "$work/stats" || true
  grep -o -e 'style [0-9]* at [0-9x]*: [0-9]* frames in [0-9]* ms' \
    -e 'picture change: .*' "$work/stats" | sed 's/^/  /' || true
  first=$(grep -o 'first frame on screen [0-9]* ms' "$work/stats" | awk '{print $5}')
  # One line a run: first frame; transitions (count, median, max, outside
  # 750 ms +-5 %); picture changes (count, median and max tick to first frame).
  awk -v run="$run" -v first="${first:-none}" '
    function median(a, n,   i, j, t) {
      for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
      return n ? (n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2) : -1
    }
    /^show: style/ { ms = $(NF - 3) + 0; d[++nd] = ms; if (ms > dmax) dmax = ms
                     if (ms > 750 * 1.05 || ms < 750 * 0.95) off++ }
    /picture change: first frame/ { for (i = 1; i <= NF; i++) if ($i == "frame") c[++nc] = $(i + 1) + 0 }
    END {
      for (i = 1; i <= nc; i++) if (c[i] > cmax) cmax = c[i]
      printf "run %d: first frame %s ms; %d transitions, median %.0f ms, max %.0f ms, %d outside 750 ms +-5%%; %d picture changes, tick to first frame median %.1f ms, max %.1f ms\n",
        run, first, nd, median(d, nd), dmax, off, nc, median(c, nc), cmax }' "$work/stats" |
    tee -a "$work/runs"
done
# Medians over the runs of each run's figures.
awk '
  function median(a, n,   i, j, t) {
    for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
    return n ? (n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2) : -1
  }
  { n++; f[n] = $5; t[n] = $10; o[n] = $15; ch[n] = $(NF - 1) + 0; cm[n] = $(NF - 4) + 0 }
  END { printf "median of %d runs: first frame %s ms; transition median %s ms, outside +-5%% %s; tick to first frame median %.1f ms, max %.1f ms\n",
          n, median(f, n), median(t, n), median(o, n), median(cm, n), median(ch, n) }' "$work/runs"
