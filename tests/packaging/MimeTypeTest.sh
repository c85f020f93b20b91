#!/usr/bin/env bash
# The project file type: a MIME database built from our XML alone maps "*.dnp" to it.
# Usage: MimeTypeTest.sh motifora-mime.xml WORK_FOLDER
set -euo pipefail
xml=$1 work=$2
rm -rf "$work"
mkdir -p "$work/packages"
cp "$xml" "$work/packages/motifora.xml"
update-mime-database "$work"
grep -qx "50:application/x-motifora-project:\*\.dnp" "$work/globs2" || {
    echo "no *.dnp glob for application/x-motifora-project in $work/globs2:"
    cat "$work/globs2"
    exit 1
}
grep -q "application/x-motifora-project" "$work/types"
echo "*.dnp -> application/x-motifora-project"
