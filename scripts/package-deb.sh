#!/usr/bin/env bash
# Builds the programs for /usr and makes the Debian package of them:
# build-deb/vantor_<version>_<arch>.deb. Install it with
#   sudo apt-get install ./build-deb/vantor_*.deb
# which fetches the runtime libraries that its Depends name.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package

# Only the three installed targets are built; the package step then takes
# them as they are instead of building everything first.
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DVANTOR_TESTS=OFF -DVANTOR_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build build-deb -j "$(nproc)" --target vantor-saver vantor-pack mpegdll
(cd build-deb && cpack -G DEB >/dev/null)
deb=$(ls build-deb/vantor_*.deb)
dpkg-deb -f "$deb" Package Version Depends
echo "Package: $deb"
