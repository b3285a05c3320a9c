#!/usr/bin/env bash
# A .trncfg file is known by its name and by its first line, and the entry that takes it runs
# trnsetup edit FILE. Usage: mime_test.sh PACKAGING_DIR   (exit 77: a tool is missing)
set -euo pipefail
packaging=$1
for tool in update-mime-database xmllint; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

xmllint --noout "$packaging/trnsetup-mime.xml"
mkdir -p "$work/mime/packages"
cp "$packaging/trnsetup-mime.xml" "$work/mime/packages/trnsetup.xml"
XDG_DATA_HOME=$work update-mime-database "$work/mime"
grep -qx '50:application/x-trncfg:\*.trncfg' "$work/mime/globs2" || fail "no glob for .trncfg"
grep -q 'application/x-trncfg' "$work/mime/magic" || fail "no magic for the first line"

entry=$packaging/trnsetup-edit.desktop
grep -qx 'MimeType=application/x-trncfg;' "$entry" || fail "the entry does not take the type"
grep -qx 'Exec=trnsetup edit %f' "$entry" || fail "the entry does not run edit on the file"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry"
    desktop-file-validate "$packaging/trnsetup.desktop"
fi
echo "the type and its entry are as expected"
