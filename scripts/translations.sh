#!/usr/bin/env bash
# Brings translations/motifora_en.ts up to date with the texts marked MOTIFORA_TR in the code
# (Qt's lupdate, from Debian's qt6-l10n-tools). New texts appear as unfinished: give each its
# English (by hand or in Qt Linguist) before committing; the test translations_complete fails
# while one is missing or while the file holds a text the code no longer has.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate-qt6 || command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
# The marked texts are their own ids (QT_TRID_NOOP), so lupdate notes that they have no separate
# source text; that note is expected.
"$lupdate" -tr-function-alias QT_TRID_NOOP+=MOTIFORA_TR -locations none -no-obsolete \
    src -ts translations/motifora_en.ts 2>&1 |
    grep -v "has no source" || true
if grep -q 'type="unfinished"' translations/motifora_en.ts; then
    echo "Texts without English in translations/motifora_en.ts:" >&2
    grep -B2 'type="unfinished"' translations/motifora_en.ts | grep '<message id=' >&2
    exit 1
fi
