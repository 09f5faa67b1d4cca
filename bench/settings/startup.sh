#!/usr/bin/env bash
# Start-up time of the program up to its dispatch point (VANTOR_DRY_RUN=1),
# once with a loose settings file of many items and once with a user store of
# many keys. Prints the seconds and the peak memory of each run.
# Usage: bench/settings/startup.sh BUILD_DIR [ITEMS] [STORE_KEYS] [SEQUENCE]
# SEQUENCE is the picture order written into the settings (2 shuffles).
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [ITEMS] [STORE_KEYS] [SEQUENCE]}
items=${2:-1000000}
keys=${3:-100000}
sequence=${4:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/prog" "$work/run" "$work/config/vantor" "$work/empty"
chmod 700 "$work/run"
cp "$build/bin/vantor-saver" "$work/prog/big.scr"

# Loose settings: the picture list and a few sections that start-up reads.
{
  printf '[Set]\r\nImageInterval=4\r\nImageSequence=%s\r\n[Pictures]\r\n' "$sequence"
  awk -v n="$items" 'BEGIN { for (i = 0; i < n; ++i) printf "picture%07d.jpg=1\r\n", i }'
  printf '[Music]\r\nsong.mp3=1\r\n'
} >"$work/prog/big.002"

# A user store of many savers' keys, ours among them near the end.
awk -v n="$keys" 'BEGIN {
  print "REGEDIT4"
  for (i = 0; i < n; ++i) {
    printf "\n[HKEY_CURRENT_USER\\Software\\Orlenta\\saver%06d.scr]\n", i
    print "\"ImageInterval\"=dword:0000000a"
    print "\"PlayMusic\"=dword:00000001"
    print "@=\"/opt/saver\""
  }
  print "\n[HKEY_CURRENT_USER\\Software\\Orlenta\\big.scr]"
  print "\"ImageInterval\"=dword:00000007"
}' >"$work/config/vantor/user.reg"

# Wall-clock and CPU seconds (user + system): on a busy machine the CPU time
# is the steadier figure.
timed() {  # label, config folder
  local out
  out=$( { XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$2" VANTOR_DRY_RUN=1 \
    /usr/bin/time -f 'TIME %e %U %S %M' "$work/prog/big.scr" /s; } 2>&1)
  local t
  t=$(grep '^TIME' <<<"$out")
  read -r _ wall user sys rss <<<"$t"
  printf '%-34s wall %6.2f s  cpu %6.2f s  peak %4d MB  %s\n' "$1" "$wall" \
    "$(echo "$user + $sys" | bc)" "$((rss / 1024))" "$(grep -o 'pictures=[0-9]*' <<<"$out")"
}

timed "$items items, empty store" "$work/empty"
timed "$items items, $keys store keys" "$work/config"
printf '[Set]\r\nImageInterval=4\r\n[Pictures]\r\na.jpg=1\r\n' >"$work/prog/big.002"
timed "1 item, $keys store keys" "$work/config"
