#!/usr/bin/env bash
# Peak memory of the packer on a photo library of about 1 GB.
#
# Makes YEAR/EVENT/IMG_NNNN.jpg files of random bytes (which, like JPEG data,
# do not compress; the names repeat across folders as a camera's do), packs
# them with a settings file that lists no pictures, and prints the packer's
# maximum resident set size as /usr/bin/time -v reports it.
#
#   bench/pack/pack_memory.sh [BUILD_DIR] [MEGABYTES] [PACKER]
#
# PACKER defaults to BUILD_DIR/bin/vantor-pack; give another build's packer to
# compare. The files are given one by one, so a packer that does not walk
# folders is measured on the same work.
set -euo pipefail
build=${1:-build}
megabytes=${2:-1024}
packer=${3:-$build/bin/vantor-pack}
work=$(mktemp -d "${TMPDIR:-/tmp}/vantor-pack-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# 4 MB photos, 20 to an event, 5 events a year.
photos=$((megabytes / 4))
head -c $((4 << 20)) /dev/urandom >"$work/random"
for ((i = 0; i < photos; i++)); do
  folder="$work/photos/$((2000 + i / 100))/event$((i / 20 % 5))"
  mkdir -p "$folder"
  name=$(printf 'IMG_%04d.jpg' $((i % 20 + 1)))
  # A different first block in each file, the rest shared.
  { head -c 4096 /dev/urandom; tail -c +4097 "$work/random"; } >"$folder/$name"
done
printf '[Set]\r\nImageInterval=5\r\n' >"$work/show.ini"
mapfile -t files < <(find "$work/photos" -type f | sort)

start=$(date +%s.%N)
/usr/bin/time -v -o "$work/time" "$packer" --program "$build/bin/vantor-saver" \
  --settings "$work/show.ini" --out "$work/show.scr" "${files[@]}" 2>"$work/messages"
end=$(date +%s.%N)
input=$(du -sb "$work/photos" | cut -f1)
output=$(stat -c %s "$work/show.scr")
rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
echo "packer:  $packer"
echo "photos:  ${#files[@]} files, $((input >> 20)) MB; package $((output >> 20)) MB"
echo "time:    $(echo "$end - $start" | bc) s"
echo "peak RSS: $((rss / 1024)) MB ($rss kB)"
