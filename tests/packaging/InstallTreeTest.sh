#!/usr/bin/env bash
# Installs the build into a fresh temporary prefix (not where it was configured to go: the
# tree must work wherever it is put) and checks the installed files.
# Usage: InstallTreeTest.sh BUILD_FOLDER WORK_FOLDER WITH_WINDOW(0|1) [WITH_PYTHON(0|1)]
set -euo pipefail
build=$1 work=$2 window=$3 python=${4:-0}
rm -rf "$work"
cmake --install "$build" --prefix "$work/usr" >/dev/null
"$(dirname "$0")/CheckInstalledTree.sh" "$work/usr" "$window" "$python"
rm -rf "$work"
