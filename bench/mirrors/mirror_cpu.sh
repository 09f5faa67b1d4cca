#!/usr/bin/env bash
# What the mirror of a second monitor costs: the packaged show runs on a desk
# of two monitors side by side (Xorg's dummy driver, so root only), once with
# the second monitor mirroring the first (ImageSameMonitor=1) and once with one
# window spanning both (=0). Prints the processor time of the saver and of the
# X server over the wall time of each run, their ratio, and the transitions'
# mean frame rate.
#
#   bench/mirrors/mirror_cpu.sh [build folder] [seconds] [one monitor's WxH]
set -euo pipefail
build=$(realpath "${1:-build}")
seconds=${2:-15}
monitor=${3:-1920x1080}
w=${monitor%x*} h=${monitor#*x}
work=$(mktemp -d)
trap 'kill $(cat "$work"/*.pid 2>/dev/null) 2>/dev/null || true; rm -rf "$work"' EXIT

cat >"$work/xorg.conf" <<EOF
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual $((2 * w)) $h
  EndSubSection
EndSection
EOF
display=:$((300 + $$ % 200))
mkdir -p "$work/conf.d"
Xorg "$display" -config "$work/xorg.conf" -configdir "$work/conf.d" -logfile "$work/xorg.log" \
  -nolisten tcp -noreset -sharevts -novtswitch >/dev/null 2>&1 &
echo $! >"$work/xorg.pid"
export DISPLAY=$display
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
{
  xrandr --fb $((2 * w))x$h
  xrandr --setmonitor L "$w/508x$h/286+0+0" DUMMY0
  xrandr --setmonitor R "$w/508x$h/286+$w+0" none
} >/dev/null

# Four wallpapers under names of their own (themes share file names).
n=0
while read -r photo && [ $n -lt 4 ]; do
  n=$((n + 1))
  cp "$photo" "$work/photo$n.jpg"
done < <(find /usr/share/wallpapers -name '*.jpg' | sort)
pictures=$(ls "$work"/photo*.jpg)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
xorg=$(cat "$work/xorg.pid")
declare -A share
for same in 1 0; do
  {
    printf '[Set]\r\nImageInterval=3\r\nPlayMusic=0\r\nImageSameMonitor=%s\r\n[Pictures]\r\n' "$same"
    for p in $pictures; do printf '%s=1\r\n' "$(basename "$p")"; done
  } >"$work/show.ini"
  "$build/bin/vantor-pack" --program "$build/bin/vantor-saver" --settings "$work/show.ini" \
    --out "$work/show.scr" $pictures
  chmod +x "$work/show.scr"
  mkdir -p "$work/run" && chmod 700 "$work/run"
  xdotool mousemove $((w * 3 / 2)) $((h / 2))
  VANTOR_SHOW_STATS=1 XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" \
    XDG_DATA_HOME="$work/data" "$work/show.scr" /s >/dev/null 2>"$work/stats" &
  saver=$!
  echo $saver >"$work/saver.pid"
  sleep 3
  s0=$(ticks $saver) x0=$(ticks "$xorg") t0=$(date +%s.%N)
  sleep "$seconds"
  s1=$(ticks $saver) x1=$(ticks "$xorg") t1=$(date +%s.%N)
  xdotool key a
  wait $saver || true
  hz=$(getconf CLK_TCK)
  share[$same]=$(echo "($s1 - $s0) / $hz / ($t1 - $t0)" | bc -l)
  fps=$(sed -n 's/.* \([0-9.]*\) frames\/s$/\1/p' "$work/stats" |
    awk '{ s += $1; n++ } END { if (n) printf "%.1f", s / n; else print "none" }')
  printf 'ImageSameMonitor=%s: saver %.3f, X server %.3f of one core; transitions %s frames/s\n' \
    "$same" "${share[$same]}" "$(echo "($x1 - $x0) / $hz / ($t1 - $t0)" | bc -l)" "$fps"
done
printf 'mirrored over spanning: %.2f\n' "$(echo "${share[1]} / ${share[0]}" | bc -l)"
