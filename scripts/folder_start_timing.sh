#!/usr/bin/env bash
# The time from the program's start to its first picture on the screen with
# --folder, for a folder of one picture and for a folder of COUNT pictures
# (default 10000, small JPEGs in 100 subfolders), as the show's statistics
# print it, on a 1920x1080 virtual screen. A scan that held the show back
# would show as a gap between the two figures.
#
#   scripts/folder_start_timing.sh BIN_DIR [COUNT] [RUNS]
#
# BIN_DIR holds vantor-saver. The pictures are made in a temporary folder and
# removed at the end.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bin=$(cd "${1:?usage: $0 BIN_DIR [COUNT] [RUNS]}" && pwd)
count=${2:-10000}
runs=${3:-3}

make_work_folder

make_picture_tree "$work/many" "$count"
mkdir -p "$work/single"
cp "$work/one.jpg" "$work/single/photo.jpg"
echo "pictures: $(find "$work/many" -name '*.jpg' | wc -l) in $work/many"

start_xvfb 1920x1080
mkdir -m 700 "$work/run"

firstFrame() {
  env DISPLAY="$display" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" \
    XDG_DATA_HOME="$work/data" HOME="$work" QT_QPA_PLATFORM=xcb VANTOR_SHOW_STATS=1 \
    timeout -k 2 4 "$bin/vantor-saver" --folder "$1" 2> "$work/stats" || true
  grep -o 'first frame on screen [0-9.]* ms' "$work/stats" | awk '{print $5}'
}

for folder in single many; do
  times=()
  for _ in $(seq "$runs"); do times+=("$(firstFrame "$work/$folder")"); done
  echo "$folder: first frame on screen after ${times[*]} ms"
done
