#!/usr/bin/env bash
# Runs the bundled promoter example through the workbench window under a virtual X server and
# writes pictures of its pages to docs/screenshots/ (rules, objects, classes, the error
# recognition properties, the bootstrap window and the about box).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${MOTIFORA_BUILD:-build-test}
out=${1:-docs/screenshots}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOTIFORA_TESTS=ON >/dev/null
cmake --build "$build" --target qt_screenshot_tour motifora -j "$(nproc)"
mkdir -p "$out"
# A real (virtual) X display, so that fonts and widgets are drawn as on a desktop.
xvfb-run -a -s "-screen 0 1600x1000x24" \
    "$build/tests/ui/qt/qt_screenshot_tour" "$out" examples
echo "Screenshots written to $out/"
