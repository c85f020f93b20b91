#!/usr/bin/env bash
# Installs the Debian packages Motifora needs (when missing) and builds it into build/.
# Usage: scripts/setup.sh [--no-build]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build ccache g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
          libbenchmark-dev qt6-base-dev qt6-charts-dev qt6-svg-dev libgl-dev libcli11-dev
          nlohmann-json3-dev libtbb-dev xvfb xauth libhts-dev zlib1g-dev pkg-config samtools
          tabix bedtools snakemake qt6-l10n-tools
          help2man dpkg-dev lintian appstream desktop-file-utils shared-mime-info
          libssl-dev chromium clang-format-14 git liblinear-dev
          pybind11-dev python3-dev python3-numpy python3-pytest
          libbigwig-dev python3-pybigwig libfmt-dev)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

if [ "${1:-}" != "--no-build" ]; then
    # The workbench and the command-line front end only; scripts/test.sh adds the tests.
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOTIFORA_TESTS=OFF -DMOTIFORA_BENCH=OFF \
        -DMOTIFORA_QT=ON
    cmake --build build
fi
