#!/usr/bin/env bash
# Builds the Debian package of Motifora, motifora_<version>_amd64.deb, in its own Release build
# folder (build-package/, with Debian's hardening flags) and prints the package's path.
# Install it with:  sudo apt install ./build-package/motifora_*_amd64.deb
# Usage: scripts/package.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-package}

# Debian's compiler and linker flags (stack protector, fortified functions, read-only
# relocations), without the debugging information the package strips anyway.
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cxxflags=$(echo " $cxxflags " | sed -e 's/ -g / /g' -e 's/^ *//' -e 's/ *$//')
ldflags=$(dpkg-buildflags --get LDFLAGS)
# Dates inside the package (the manual pages) come from the changelog, so rebuilds match.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/changelog -STimestamp)
export SOURCE_DATE_EPOCH

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DMOTIFORA_TESTS=OFF -DMOTIFORA_BENCH=OFF -DMOTIFORA_QT=ON -DMOTIFORA_PYTHON=ON \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$dir"
rm -f "$dir"/motifora_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/motifora_*_amd64.deb
