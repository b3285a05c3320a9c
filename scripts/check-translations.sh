#!/usr/bin/env bash
# Fails when a text the program shows has no Chinese translation: runs lupdate over the code
# into a copy of the catalogue's source, which must come out complete.
# Usage: scripts/check-translations.sh LUPDATE TS_FILE SOURCE_DIR...
set -euo pipefail
lupdate=$1 ts=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/check.ts"
"$lupdate" -silent -no-obsolete -locations none -extensions cpp,h "$@" -ts "$work/check.ts"
missing=$( (grep -B1 '<translation type="unfinished"' "$work/check.ts" || true) | sed -n 's:.*<source>\(.*\)</source>.*:\1:p')
if [ -n "$missing" ]; then
  echo "Texts without a Chinese translation in $(basename "$ts"):"
  printf '  %s\n' "$missing"
  echo "Run 'cmake --build build --target update_translations' and translate them."
  exit 1
fi
if ! cmp -s "$ts" "$work/check.ts"; then
  echo "$(basename "$ts") is not in step with the code (texts changed or gone):"
  diff "$ts" "$work/check.ts" | head -n 40
  echo "Run 'cmake --build build --target update_translations'."
  exit 1
fi
echo "Every program text has its Chinese translation."
