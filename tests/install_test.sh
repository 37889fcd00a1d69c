#!/bin/sh
# Installs a build into a temporary prefix and checks what desktop integration needs.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/kestrune bin/kestrune-cli share/applications/kestrune.desktop share/mime/packages/kestrune.xml \
            share/icons/hicolor/16x16/apps/kestrune.png share/icons/hicolor/24x24/apps/kestrune.png \
            share/icons/hicolor/32x32/apps/kestrune.png share/icons/hicolor/48x48/apps/kestrune.png \
            share/icons/hicolor/256x256/apps/kestrune.png share/icons/hicolor/scalable/apps/kestrune.svg; do
    [ -f "$prefix/$file" ] || { echo "missing $file"; exit 1; }
done
grep -q '^MimeType=application/x-d64;application/x-d71;.*application/x-t64;' "$prefix/share/applications/kestrune.desktop"
update-mime-database "$prefix/share/mime" 2>/dev/null
grep -q '^application/x-d64:\*\.d64$' "$prefix/share/mime/globs" || { echo "no .d64 glob"; exit 1; }
grep -q '^application/x-d71:\*\.d71$' "$prefix/share/mime/globs" || { echo "no .d71 glob"; exit 1; }
grep -q '^application/x-d81:\*\.d81$' "$prefix/share/mime/globs" || { echo "no .d81 glob"; exit 1; }
echo "install layout ok"
