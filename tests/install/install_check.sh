#!/usr/bin/env bash
# `cmake --install` into a fresh prefix gives exactly the files a user needs,
# each of them usable: the hack link reaches the program, the desktop entries,
# manual pages and XScreenSaver settings are valid, the installed packer makes
# a saver file without being told where the program and the MPEG library are,
# and the uninstall leaves the prefix empty.
#   install_check.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

expected="bin/vantor-pack
bin/vantor-saver
lib/vantor/libmpegdll.so
libexec/xscreensaver/vantor
share/applications/vantor-play.desktop
share/applications/vantor-saver.desktop
share/doc/vantor/README.md
share/man/man1/vantor-pack.1
share/man/man1/vantor-saver.1
share/xscreensaver/config/vantor.xml"
actual=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$expected" ] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$actual") || true)"

# The display mode is the program itself, by a link that stays inside the prefix.
hack=$prefix/libexec/xscreensaver/vantor
[ -L "$hack" ] || fail "$hack is not a link"
case $(readlink "$hack") in /*) fail "$hack links to an absolute path: $(readlink "$hack")" ;; esac
[ "$(readlink -f "$hack")" = "$(readlink -f "$prefix/bin/vantor-saver")" ] ||
  fail "$hack does not reach bin/vantor-saver"
[ -x "$hack" ] || fail "$hack is not executable"

# The program finds the MPEG library under its own prefix, whatever --prefix was.
readelf -d "$prefix/bin/vantor-saver" | grep -q 'R.*PATH.*\$ORIGIN/\.\./lib/vantor' ||
  fail "vantor-saver does not look in its prefix's lib/vantor/"

xmllint --noout "$prefix/share/xscreensaver/config/vantor.xml"
root=$(xmllint --xpath 'name(/*)' "$prefix/share/xscreensaver/config/vantor.xml")
hackname=$(xmllint --xpath 'string(/screensaver/@name)' "$prefix/share/xscreensaver/config/vantor.xml")
[ "$root" = screensaver ] && [ "$hackname" = vantor ] ||
  fail "vantor.xml is not the settings of the hack \"vantor\" ($root, $hackname)"

# Every switch the settings panel can put on the command line reaches the
# program: each one, run as the panel runs the hack, changes what the dry run
# reports. A switch the panel gains without a row here fails the check.
mkdir -p "$work/pictures"
declare -A reaches=(
  ["--root"]="dispatch=hack" ["--folder %"]="folders=1" ["--package %"]="package=1"
  ["--interval %"]="interval=7" ["--speed %"]="speed=1" ["--order random"]="order=2"
  ["--order in-order"]="order=0" ["--fit original"]="fit=1" ["--fit stretch"]="fit=2"
  ["--caption"]="caption=1" ["--no-music"]="music=0" ["--no-exif-orientation"]="exif=0")
declare -A sample=(["--folder %"]="$work/pictures" ["--package %"]="$work/Photos.scr"
  ["--interval %"]=7 ["--speed %"]=1)
check_panel_switches() {
  local switches switch args out
  switches=$(xmllint --xpath '//@arg | //@arg-set | //@arg-unset' "$prefix/share/xscreensaver/config/vantor.xml" |
    sed -E 's/^ *arg(-set|-unset)?="([^"]*)"$/\2/')
  while IFS= read -r switch; do
    [ -n "${reaches[$switch]:-}" ] || fail "vantor.xml uses \"$switch\", which this check does not know"
    args=${switch/\%/${sample[$switch]:-}}
    # shellcheck disable=SC2086
    out=$(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u XSCREENSAVER_WINDOW VANTOR_DRY_RUN=1 \
      XDG_RUNTIME_DIR= XDG_CONFIG_HOME="$work/config" TMPDIR="$work" HOME="$work" \
      "$prefix/bin/vantor-saver" --root $args 2>&1) || fail "vantor-saver --root $args: $out"
    [[ $out == *"${reaches[$switch]}"* ]] || fail "vantor-saver --root $args: no ${reaches[$switch]} in $out"
  done <<<"$switches"
}

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix"/share/applications/*.desktop
else
  echo "desktop-file-validate not found (desktop-file-utils): desktop entries not validated"
fi
for page in "$prefix"/share/man/man1/*.1; do
  warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || fail "$page: $warnings"
  lexgrog "$page" >/dev/null || fail "$page has no NAME line that man-db can read"
done

# The installed packer finds the installed program and, for an MP3 track, the
# installed MPEG library; without a settings file it lists the picture given.
printf 'P6\n2 2\n255\n%012d' 0 >"$work/photo.ppm"
printf 'not really music' >"$work/song.mp3"
(cd "$work" && "$prefix/bin/vantor-pack" --out "$work/Photos.scr" photo.ppm song.mp3 2>/dev/null) ||
  fail "the installed vantor-pack made no saver file"
# The settings archive comes last in the file: its item table names the library.
settings=$(unzip -p "$work/Photos.scr" vantor.002 2>/dev/null || true)
grep -q '^MPEGDLL\.DLL_1=' <<<"$settings" ||
  fail "the saver file does not carry the installed MPEG library"
run=$(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY VANTOR_DRY_RUN=1 XDG_RUNTIME_DIR= \
  XDG_CONFIG_HOME="$work/config" TMPDIR="$work" "$work/Photos.scr" /s)
case $run in *"package=1"*"pictures=1"*) ;; *) fail "the saver file does not show its picture: $run" ;; esac
check_panel_switches

cmake -DMANIFEST="$build/install_manifest.txt" -P "$source/cmake/Uninstall.cmake" >/dev/null
left=$(cd "$prefix" && find . -mindepth 1 \( -type f -o -type l -o -path ./lib/vantor \
  -o -path ./share/doc/vantor -o -path ./libexec/xscreensaver -o -path ./share/xscreensaver \))
[ -z "$left" ] || fail "the uninstall left behind: $left"
echo "install: $(echo "$expected" | wc -l) files checked"
