#!/usr/bin/env bash
# Tries README's xss-lock and xautolock recipes on a virtual screen with a
# saver file: each tool must start the show when the screen is idle, the show
# must put a picture on the screen, and a key or click must end it.
#   bash scripts/locker_recipes.sh SAVER_FILE      (about 75 seconds)
# Xvfb never runs its own idle timer, so for xss-lock the idle moment is
# forced with `xset s activate`, which sends the same event. xautolock counts
# idle time itself; its shortest time is one minute. Without a logind session
# (no systemd here) xss-lock warns, and aborts once the show has ended.
set -uo pipefail
saver=$(readlink -f "$1")
name=$(basename "$saver" | cut -c1-15)
fails=0
screen_up() {
  Xvfb "$1" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do DISPLAY=$1 xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
}
wait_show() {  # waits up to $1 seconds for the show's process
  for _ in $(seq $(($1 * 10))); do pgrep -x "$name" >/dev/null && return 0; sleep 0.1; done
  return 1
}
check_show() {  # $1: tool name, $2: the input that ends the show
  local pid
  pid=$(pgrep -x "$name") || { echo "FAIL $1: the show did not start"; fails=1; return; }
  sleep 3
  local mean
  mean=$(import -window root png:- 2>/dev/null | convert - -resize 1x1 -format '%[fx:int(255*mean)]' info:)
  [ "${mean:-0}" -gt 5 ] || { echo "FAIL $1: the screen stayed black"; fails=1; }
  xdotool $2
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then echo "FAIL $1: the show went on after input"; fails=1; kill "$pid"
  else echo "ok $1: started when idle, showed a picture (mean $mean), ended on input"; fi
}

screen_up :57
export DISPLAY=:57
xss-lock -- "$saver" /s 2>/dev/null &
tool=$!
sleep 1
xset s activate
wait_show 10
check_show xss-lock "key a"
kill "$tool" "$xvfb" 2>/dev/null; wait 2>/dev/null

screen_up :58
export DISPLAY=:58
xautolock -time 1 -locker "'$saver' /s" >/dev/null 2>&1 &
tool=$!
wait_show 90
check_show xautolock "mousemove 10 10 click 1"
kill "$tool" "$xvfb" 2>/dev/null; wait 2>/dev/null
exit $fails
