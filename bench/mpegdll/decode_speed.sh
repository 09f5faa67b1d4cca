#!/usr/bin/env bash
# Makes a one-minute 128 kbit/s stereo MP3 and compares the MPEG library's
# decoding speed with `mpg123 -t` on it.
# Usage: bench/mpegdll/decode_speed.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [ROUNDS]}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -q -n -r 44100 -c 2 -b 16 "$work/minute.wav" synth 60 sine 440 sine 660 vol 0.5
lame --quiet -b 128 "$work/minute.wav" "$work/minute.mp3"
"$build/bin/mpegdll_decode_speed" "$work/minute.mp3" "${2:-5}"
