#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), checks it with lintian (no errors allowed)
# and unpacks it into a throw-away root, where motifora-cli must report the package's version
# and run the bundled example from the installed files. Exits non-zero on any failure.
# Usage: scripts/check-package.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-package}

deb=$(scripts/package.sh "$dir" | tail -1)
echo "package: $deb"
dpkg-deb --field "$deb"
version=$(dpkg-deb --field "$deb" Version)
[ "$(basename "$deb")" = "motifora_${version}_amd64.deb" ] || {
    echo "FAIL: package file name $(basename "$deb") for version $version"
    exit 1
}
dpkg-deb --field "$deb" Depends | grep -q "libqt6widgets6" || {
    echo "FAIL: the computed Depends lacks the Qt libraries"
    exit 1
}

dpkg-deb --field "$deb" Depends | grep -q "python3-numpy" || {
    echo "FAIL: the Depends lacks python3-numpy (the Python module needs it)"
    exit 1
}

echo "--- lintian ---"
# Errors fail the check; warnings and notes are shown.
lintian --fail-on error --info "$deb"

echo "--- installed into a throw-away root ---"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
tests/packaging/CheckInstalledTree.sh "$root/usr" 1 1
"$root/usr/bin/motifora-cli" --version | grep -q "^motifora-cli ${version}\( \|$\)" || {
    echo "FAIL: motifora-cli --version does not name the package version $version"
    exit 1
}
echo "package check passed"
