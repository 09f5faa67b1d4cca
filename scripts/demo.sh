#!/usr/bin/env bash
# Builds the program, makes a demo show from real photographs (Debian's
# wallpapers) and starts it full screen; Esc or any key ends it. Without a
# display it writes frames of the first transitions to PNG files instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
bash scripts/install-deps.sh demo

# The demo needs only the programs: configuring the tests and benchmarks would
# ask for packages that the demo does not install.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_TESTS=OFF -DVANTOR_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)" --target vantor-saver vantor-pack vantor-show-frames

demo=build/demo
mkdir -p "$demo"
mapfile -t photos < <(find /usr/share/wallpapers -name '*.jpg' -size +200k | sort | head -n 8)
if [ ${#photos[@]} -eq 0 ]; then
  echo "No photographs found under /usr/share/wallpapers (package plasma-workspace-wallpapers)." >&2
  exit 1
fi
write_wallpaper_settings "$(printf 'ScrName=Vantor Demo\r\nImageInterval=4\r\nImageSequence=0\r\nEffectSpeed2=3\r\nMousePress=1\r\nKeyboardPress=1\r\nMouseMove=0\r\nPlayMusic=0\r\n')" \
  "${photos[@]}" > "$demo/demo.ini"
items=()
i=0
for p in "${photos[@]}"; do i=$((i + 1)); ln -sf "$p" "$demo/photo$i.jpg"; items+=("$demo/photo$i.jpg"); done
# Named .exe, the packaged program is a show started by hand: it always runs
# full screen and keeps the desktop's own idle saver away while it runs.
show="$demo/Vantor Demo.exe"
build/bin/vantor-pack --program build/bin/vantor-saver --settings "$demo/demo.ini" \
  --out "$show" "${items[@]}"
chmod +x "$show"
echo "Demo show: $show (${#photos[@]} photographs)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no display here (DISPLAY and WAYLAND_DISPLAY are unset), so the show"
  echo "cannot open its window. Writing frames of its first transitions instead..."
  rm -rf "$demo/frames"
  build/bin/vantor-show-frames "$show" "$demo/frames" 1280x720 3
  echo "The frames are in $(pwd)/$demo/frames/ (transitionN-frameMM.png)."
  echo "On a machine with a display, run this script again to watch the show."
  exit 0
fi
echo "Starting the show full screen. Press Esc or any key (or click) to end it."
exec "$show"
