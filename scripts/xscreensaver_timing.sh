#!/usr/bin/env bash
# The time from `xscreensaver-command -activate` to the hack's first picture
# on the screen, with the program installed as XScreenSaver's hack and the
# user's picture folder (imageDirectory) holding COUNT pictures (default
# 10000, small JPEGs in 100 subfolders), on a 1920x1080 virtual screen.
#
#   sudo scripts/xscreensaver_timing.sh BIN_DIR [COUNT] [RUNS]
#
# PICTURES=DIR uses that folder instead of made pictures; SCREENSHOT=FILE
# saves the screen of the first run once its first picture is up.
#
# The daemon refuses to run as root: it runs as the user vantor-xss, made
# when missing. The figure is the hack's start after the activation (from
# /proc, 10 ms steps) plus its own "first frame on screen" statistic.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bin=$(cd "${1:?usage: $0 BIN_DIR [COUNT] [RUNS]}" && pwd)
count=${2:-10000}
runs=${3:-3}
user=vantor-xss
[ "$(id -u)" = 0 ] || { echo "run as root: the daemon's user is made and used" >&2; exit 1; }
id -u "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user"

work=$(mktemp -d)
chmod 755 "$work"
xpid= dpid=
cleanup() {
  [ -n "$dpid" ] && kill "$dpid" 2>/dev/null || true
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

pictures=${PICTURES:-$work/pictures}
[ -n "${PICTURES:-}" ] || make_picture_tree "$pictures" "$count"
install -m 755 "$bin/vantor-saver" "$work/vantor-saver"
mkdir -p "$work/home" && mkdir -m 700 "$work/run"
cat > "$work/home/.xscreensaver" <<RC
mode: one
selected: 0
timeout: 1:00:00
lock: False
fade: False
unfade: False
splash: False
dpmsEnabled: False
imageDirectory: $pictures
programs: $work/vantor-saver --root \n
RC
chown -R "$user" "$work/home" "$work/run"
echo "pictures: $(find "$pictures" -type f | wc -l) in $pictures"

start_xvfb 1920x1080
DISPLAY=$display xhost "+si:localuser:$user" > /dev/null
as=(runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$work/home" DISPLAY="$display"
  XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home" VANTOR_SHOW_STATS=1)
"${as[@]}" xscreensaver -no-splash 2> "$work/daemon.log" > /dev/null &
dpid=$!
for _ in $(seq 200); do "${as[@]}" xscreensaver-command -version > /dev/null 2>&1 && break; sleep 0.1; done

ticks=$(getconf CLK_TCK)
for run in $(seq "$runs"); do
  : > "$work/daemon.log"
  before=$(awk '{print $1}' /proc/uptime)
  "${as[@]}" xscreensaver-command -activate > /dev/null
  pid=
  for _ in $(seq 500); do pid=$(pgrep -u "$user" -f "$work/vantor-saver" | head -n1) && break; sleep 0.01; done
  started=$(awk -v t="$ticks" '{print $22 / t}' "/proc/$pid/stat")
  for _ in $(seq 100); do grep -aq 'first frame on screen' "$work/daemon.log" && break; sleep 0.1; done
  frame=$(grep -ao 'first frame on screen [0-9.]*' "$work/daemon.log" | awk '{print $5}')
  awk -v b="$before" -v s="$started" -v f="$frame" -v r="$run" \
    'BEGIN { printf "run %d: hack started %.0f ms after -activate, first picture %.0f ms after -activate\n", r, (s - b) * 1000, (s - b) * 1000 + f }'
  if [ "$run" = 1 ] && [ -n "${SCREENSHOT:-}" ]; then
    sleep 2  # the first transition ends
    import -display "$display" -window root -resize 50% "$SCREENSHOT"
  fi
  "${as[@]}" xscreensaver-command -deactivate > /dev/null
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
done
"${as[@]}" xscreensaver-command -exit > /dev/null 2>&1 || true
