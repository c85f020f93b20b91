#!/usr/bin/env bash
# Checks an installed Motifora tree (a `cmake --install` prefix or the usr/ of an unpacked
# package): every file in its place, both programs report the same version, and the bundled
# example runs from the installed files alone, writing a project, a text export and a report.
# With the Python module, it must import from the tree's site-packages folder and learn the
# example.
# Usage: CheckInstalledTree.sh PREFIX WITH_WINDOW(0|1) [WITH_PYTHON(0|1)]
set -euo pipefail
prefix=$1 window=$2 python=${3:-0}
fail() { echo "FAIL: $*" >&2; exit 1; }

files=(bin/motifora-cli
       share/motifora/manual.md
       share/motifora/examples/promoters_pos.seq
       share/motifora/examples/promoters_neg.seq
       share/motifora/examples/README.md
       share/doc/motifora/copyright
       share/doc/motifora/changelog.gz
       share/man/man1/motifora-cli.1.gz)
if [ "$window" = 1 ]; then
    files+=(bin/motifora
            share/man/man1/motifora.1.gz
            share/applications/motifora.desktop
            share/icons/hicolor/scalable/apps/motifora.svg
            share/icons/hicolor/48x48/apps/motifora.png
            share/icons/hicolor/128x128/apps/motifora.png
            share/mime/packages/motifora.xml
            share/metainfo/org.motifora.motifora.metainfo.xml)
fi
for f in "${files[@]}"; do
    [ -f "$prefix/$f" ] || fail "$prefix/$f is missing"
done
# Every picture the manual shows lies beside it.
grep -o 'screenshots/[A-Za-z0-9_.-]*\.png' "$prefix/share/motifora/manual.md" | sort -u |
    while read -r picture; do
        [ -f "$prefix/share/motifora/$picture" ] || fail "the manual shows $picture, not installed"
    done
# The compressed files are real gzip streams without a stored name or time.
for gz in share/doc/motifora/changelog.gz share/man/man1/motifora-cli.1.gz; do
    gzip -t "$prefix/$gz" || fail "$gz is not a valid gzip file"
done
zcat "$prefix/share/man/man1/motifora-cli.1.gz" | grep -qF -- '\-\-positive' ||
    fail "the manual page of motifora-cli does not describe --positive"

version=$("$prefix/bin/motifora-cli" --version)
case "$version" in
    "motifora-cli "[0-9]*) ;;
    *) fail "motifora-cli --version printed \"$version\"" ;;
esac
echo "$version"
if [ "$window" = 1 ]; then
    # The workbench names the same version (its about box shows that text too).
    window_version=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/motifora" --version)
    [ "${window_version#* }" = "${version#motifora-cli }" ] ||
        fail "motifora --version printed \"$window_version\", motifora-cli \"$version\""
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
examples="$prefix/share/motifora/examples"
(cd "$out" && "$prefix/bin/motifora-cli" --quiet \
    --positive "$examples/promoters_pos.seq" --negative "$examples/promoters_neg.seq" \
    --control-negative "$examples/promoters_neg.seq" \
    --save promoters.dnp --export-text promoters.txt --report promoters.html) ||
    fail "the bundled example failed from the installed files"
for f in promoters.dnp promoters.txt promoters.html; do
    [ -s "$out/$f" ] || fail "the example wrote no $f"
done
if [ "$python" = 1 ]; then
    # lib/python3.X/site-packages under a prefix, lib/python3/dist-packages in the package.
    module=$(find "$prefix/lib" -path '*/python3*/*-packages/motifora.cpython-*.so' | head -1)
    [ -n "$module" ] || fail "the Python module is not installed under $prefix/lib"
    interpreter=python3
    [ -x /usr/bin/python3 ] && interpreter=/usr/bin/python3
    PYTHONPATH=$(dirname "$module") "$interpreter" -c "
import motifora, sys
model = motifora.learn('$examples/promoters_pos.seq', '$examples/promoters_neg.seq')
assert len(model.classes) > 0 and motifora.__file__.startswith('$prefix'), motifora.__file__
print('python module:', motifora.__file__, len(model.rules), 'rules')
" || fail "the installed Python module does not import or learn"
fi
echo "installed tree at $prefix: files in place, the example runs"
