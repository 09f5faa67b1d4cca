#!/usr/bin/env bash
# `cpack -G DEB` makes a package whose Depends name the packages of the
# runtime libraries (dpkg-shlibdeps), and which holds the installed files
# under /usr.
#   deb_check.sh BUILD_DIR
set -euo pipefail
build=$1
command -v dpkg-shlibdeps >/dev/null || { echo "dpkg-shlibdeps not found (dpkg-dev)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack -G DEB failed"; }
deb=$(find "$work" -maxdepth 1 -name 'vantor_*.deb')
[ -n "$deb" ] || fail "no vantor_*.deb was made"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libqt6widgets6 libqt6gui6 qt6-qpa-plugins libjpeg62-turbo libpng16-16 libgif7 \
  libtiff6 libzip4 libwebp7 libheif1 libexif12 libsdl2-2.0-0 libsdl2-mixer-2.0-0 libmpg123-0; do
  [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
    fail "Depends does not name $package"
done
contents=$(dpkg-deb -c "$deb")
for file in usr/bin/vantor-saver usr/bin/vantor-pack usr/lib/vantor/libmpegdll.so \
  usr/libexec/xscreensaver/vantor usr/share/xscreensaver/config/vantor.xml \
  usr/share/applications/vantor-saver.desktop usr/share/man/man1/vantor-saver.1; do
  grep -q " \./$file\( \|$\)" <<<"$contents" || fail "the package lacks /$file"
done
echo "package: $(basename "$deb")"
