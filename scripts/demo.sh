#!/usr/bin/env bash
# Builds the program, makes a demo screensaver from real photographs (Debian's
# wallpapers) and starts it as the full-screen saver.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh demo

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target vantor-saver vantor-pack

demo=build/demo
mkdir -p "$demo"
mapfile -t photos < <(find /usr/share/wallpapers -name '*.jpg' -size +200k | sort | head -n 8)
if [ ${#photos[@]} -eq 0 ]; then
  echo "No photographs found under /usr/share/wallpapers (package plasma-workspace-wallpapers)." >&2
  exit 1
fi
{
  printf '[Set]\r\nScrName=Vantor Demo\r\nImageInterval=4\r\nImageSequence=0\r\nEffectSpeed2=3\r\n'
  printf '[Caption]\r\nPosition=3\r\nFontSize=18\r\n[Pictures]\r\n'
  i=0
  for p in "${photos[@]}"; do i=$((i + 1)); printf 'photo%d.jpg=1\r\n' "$i"; done
  printf '[captions]\r\n'
  i=0
  for p in "${photos[@]}"; do
    i=$((i + 1))
    printf 'photo%d.jpg=%s\r\n' "$i" "$(basename "$(dirname "$(dirname "$(dirname "$p")")")")"
  done
} > "$demo/demo.ini"
items=()
i=0
for p in "${photos[@]}"; do i=$((i + 1)); ln -sf "$p" "$demo/photo$i.jpg"; items+=("$demo/photo$i.jpg"); done
build/bin/vantor-pack --program build/bin/vantor-saver --settings "$demo/demo.ini" \
  --out "$demo/Vantor Demo.scr" "${items[@]}"
chmod +x "$demo/Vantor Demo.scr"
echo "Demo screensaver: $demo/Vantor Demo.scr (${#photos[@]} photographs)"
exec "$demo/Vantor Demo.scr" /s
