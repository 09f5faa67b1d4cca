#!/usr/bin/env bash
# Installs the Debian package on a fresh Debian 12 root (a copy of the base
# that ../shared/tools/fresh-machine-check keeps), makes a saver file with the
# installed packer and plays it a few seconds on a virtual screen, has
# XScreenSaver start the display mode as README's recipe says, then purges
# the package and lists whatever it left behind. The program's own
# temporary folder (/tmp/vantor-<uid> here, where no $XDG_RUNTIME_DIR is set)
# belongs to the user's session, not to the package, and is not counted.
#   bash scripts/deb-fresh-check.sh build-deb/vantor_0.1_amd64.deb     (as root)
set -euo pipefail
deb=$(readlink -f "$1")
base=/var/tmp/fresh-debian-base
[ "$(id -u)" -eq 0 ] || { echo "run as root (it uses chroot and mount)" >&2; exit 2; }
[ -x "$base/bin/bash" ] || { echo "no fresh base in $base: run ../shared/tools/fresh-machine-check once" >&2; exit 2; }
photo=$(find /usr/share/wallpapers -name '*.jpg' -size +200k 2>/dev/null | sort | head -n 1)

run=$(mktemp -d /var/tmp/vantor-deb.XXXXXX)
cleanup() {
  for m in dev/shm dev/pts proc sys; do umount "$run/$m" 2>/dev/null || umount -l "$run/$m" 2>/dev/null || true; done
  rm -rf --one-file-system "$run"
}
trap cleanup EXIT
cp -a "$base/." "$run/"
cp /etc/resolv.conf "$run/etc/resolv.conf" 2>/dev/null || true
mount -t proc proc "$run/proc"
mount -t sysfs sys "$run/sys"
mkdir -p "$run/dev/shm" && mount -t tmpfs -o mode=1777 shm "$run/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$run/dev/pts" 2>/dev/null || true
cp "$deb" "$run/root/"
if [ -n "$photo" ]; then cp "$photo" "$run/root/photo.jpg"; else printf 'P6\n2 2\n255\n%012d' 0 >"$run/root/photo.ppm"; fi

chroot "$run" /usr/bin/env -i HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -euo pipefail -c '
cd /root
find / -xdev \( -path /proc -o -path /sys -o -path /root -o -path /tmp -o -path /var/cache/apt -o -path /var/lib/apt/lists \) -prune -o -print 2>/dev/null | sort >before.txt
apt-get update -qq
# Only what the package asks for, as a minimal system would get it.
apt-get install -y -qq --no-install-recommends ./vantor_*.deb >/dev/null
echo "installed: $(dpkg-query -W -f="\${Package} \${Version}" vantor)"
# A virtual screen to play on (not a dependency of the package).
apt-get install -y -qq --no-install-recommends xvfb xauth >/dev/null
vantor-pack --out "Photos.scr" photo.* 
set +e
timeout 8 xvfb-run -a -s "-screen 0 1280x720x24" ./Photos.scr /s 2>show.err
rc=$?
set -e
# Still showing after 8 seconds: timeout ended it (124).
[ "$rc" = 124 ] || { echo "the show ended by itself (exit $rc):"; cat show.err; exit 1; }
echo "the saver file showed its picture for 8 seconds"
[ -L /usr/libexec/xscreensaver/vantor ] && [ -f /usr/share/xscreensaver/config/vantor.xml ]
# README'"'"'s XScreenSaver recipe, by a user (the daemon refuses root).
apt-get install -y -qq --no-install-recommends xscreensaver x11-utils procps >/dev/null
useradd -m viewer
mkdir -p /srv/pictures && cp photo.* /srv/pictures/
printf "%s\n" "mode: one" "selected: 0" "programs: \"Vantor\" vantor --root --folder /srv/pictures" \
  >/home/viewer/.xscreensaver
chown viewer: /home/viewer/.xscreensaver
runuser -u viewer -- env HOME=/home/viewer DISPLAY=:7 bash -c '"'"'
  Xvfb :7 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xscreensaver -no-splash >/dev/null 2>&1 & daemon=$!
  trap "kill \$daemon \$xvfb 2>/dev/null" EXIT
  sleep 3
  xscreensaver-command -activate >/dev/null
  for _ in $(seq 100); do pgrep -u viewer -f "^vantor --root" >/dev/null && break; sleep 0.1; done
  hack=$(pgrep -u viewer -a -f "^vantor --root") || { echo "XScreenSaver did not start vantor"; exit 1; }
  echo "XScreenSaver started the display mode: ${hack#* }"
  xscreensaver-command -exit >/dev/null 2>&1
  sleep 1
'"'"'
man -w vantor-saver vantor-pack >/dev/null 2>&1 || echo "(man pages are not indexed: man-db is not installed)"
apt-get purge -y -qq vantor >/dev/null
find / -xdev \( -path /proc -o -path /sys -o -path /root -o -path /tmp -o -path /var/cache/apt -o -path /var/lib/apt/lists \) -prune -o -print 2>/dev/null | sort >after.txt
left=$(comm -13 before.txt after.txt | grep -i vantor || true)
[ -z "$left" ] || { echo "left behind after purge:"; echo "$left"; exit 1; }
echo "purged: nothing named vantor is left"
'
echo "deb-fresh-check: passed"
