#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Idempotent: packages already present are left alone, and apt-get runs only
# when something is missing.
set -euo pipefail

build_pkgs=(cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libxcb1-dev
  libjpeg62-turbo-dev libpng-dev libgif-dev libtiff-dev zlib1g-dev libzip-dev
  libwebp-dev libheif-dev libjxl-dev libexif-dev
  libmpg123-dev libsdl2-dev libsdl2-mixer-dev)
test_pkgs=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils imagemagick libjxl-tools libheif-examples zip unzip lame mpg123 sox
  fonts-dejavu-core fontconfig libvips-dev dbus-daemon
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils xscreensaver
  desktop-file-utils libxml2-utils groff-base man-db dpkg-dev file xss-lock xautolock)
demo_pkgs=(plasma-workspace-wallpapers)
# Making the Debian package: dpkg-shlibdeps names the runtime libraries.
package_pkgs=(dpkg-dev file)

want=("${build_pkgs[@]}")
case "${1:-all}" in
  build) ;;
  test) want+=("${test_pkgs[@]}" "${demo_pkgs[@]}") ;;
  demo) want+=("${demo_pkgs[@]}" xvfb xauth) ;;
  package) want+=("${package_pkgs[@]}") ;;
  all) want+=("${test_pkgs[@]}" "${demo_pkgs[@]}") ;;
  *) echo "usage: $0 [build|test|demo|package|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
