# Pieces the measuring and demo scripts share; sourced, not run.

# The settings of a show of Debian's wallpaper photographs given as
# arguments, in order, each captioned with its wallpaper's name; the items are
# named photo1.jpg, photo2.jpg, ... Extra [Set] lines come first in $1.
write_wallpaper_settings() {
  local set=$1 i=0 p
  shift
  printf '[Set]\r\n%s' "$set"
  printf '[Caption]\r\nPosition=3\r\nFontSize=18\r\n[Pictures]\r\n'
  for p in "$@"; do i=$((i + 1)); printf 'photo%d.jpg=1\r\n' "$i"; done
  printf '[captions]\r\n'
  i=0
  for p in "$@"; do
    i=$((i + 1))
    printf 'photo%d.jpg=%s\r\n' "$i" "$(basename "$(dirname "$(dirname "$(dirname "$p")")")")"
  done
}

# A temporary folder `work` for the caller's lifetime: at exit it is removed
# and the virtual screen that start_xvfb started, if any, is stopped.
make_work_folder() {
  work=$(mktemp -d)
  xpid=
  trap '[ -n "$xpid" ] && kill "$xpid" 2>/dev/null; rm -rf "$work"' EXIT
}

# Starts a virtual screen of SIZE (WxH) for the caller's lifetime: sets
# `display` and `xpid`; `work` is the caller's temporary folder.
start_xvfb() {
  Xvfb -displayfd 4 -screen 0 "${1}x24" -nolisten tcp 4> "$work/display" 2> /dev/null &
  xpid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  display=:$(head -n1 "$work/display")
}

# COUNT copies of one small JPEG under FOLDER, in 100 subfolders, written by
# one tee per subfolder: 10,000 pictures in a second or two.
make_picture_tree() {
  local folder=$1 count=$2 per made=0 n d i names
  convert -size 320x240 gradient:red-blue -quality 85 "$work/one.jpg"
  per=$(((count + 99) / 100))
  for d in $(seq -w 0 99); do
    [ "$made" -ge "$count" ] && break
    n=$((count - made < per ? count - made : per))
    mkdir -p "$folder/album$d"
    names=()
    for i in $(seq -w 1 "$n"); do names+=("$folder/album$d/img$i.jpg"); done
    tee "${names[@]}" < "$work/one.jpg" > /dev/null
    made=$((made + n))
  done
}
