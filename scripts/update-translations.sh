#!/bin/bash
# Brings the language modules' sources up to date with the program. lupdate reads every text under src/
# (window descriptions in .ui files and tr() calls, one context per window class; the keys of the message
# tables "Poruke" and "PorukeCli") into translations/arkivoda_HRV.ts and arkivoda_ENU.ts. A new text
# arrives untranslated in the English module, and the module test fails until it has its English. The
# Croatian module is then completed from the sources themselves.
#
# Fragment files given as arguments (TS files with the English of some windows, a <context> per window
# class) are merged into the English module:  scripts/update-translations.sh /path/en-TOdabirBaze.ts
set -euo pipefail
cd "$(dirname "$0")/.."
QT_BIN=$(qtpaths6 --query QT_HOST_BINS 2>/dev/null || echo /usr/lib/qt6/bin)
LUPDATE=${LUPDATE:-$QT_BIN/lupdate}
LCONVERT=${LCONVERT:-$QT_BIN/lconvert}
MODULES=(translations/arkivoda_HRV.ts translations/arkivoda_ENU.ts)

# Texts that left the sources stay in the files, marked vanished (not compiled), so a window that is
# back, or not merged yet, keeps its translations.
"$LUPDATE" -silent -locations none -no-ui-lines src -ts "${MODULES[@]}"
python3 scripts/merge-translations.py "${MODULES[@]}" "$@"
# Qt's own layout of the files, so that later updates give small diffs.
for module in "${MODULES[@]}"; do
    "$LCONVERT" -i "$module" -o "$module"
done
