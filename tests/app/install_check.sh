#!/bin/bash
# Installs the build into a temporary prefix and checks what lands there: both programs, the
# icon, a desktop entry opening the installed program, the MIME package.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/pelira bin/pelira-cli share/icons/hicolor/scalable/apps/pelira.svg share/mime/packages/pelira.xml; do
  [ -e "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
done
grep -qx "Exec=\"$prefix/bin/pelira\" %f" "$prefix/share/applications/pelira.desktop" ||
  { echo "the entry does not open the installed program:"; cat "$prefix/share/applications/pelira.desktop"; exit 1; }
"$prefix/bin/pelira-cli" --version >/dev/null
