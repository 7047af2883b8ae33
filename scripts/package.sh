#!/usr/bin/env bash
# Builds the programs and makes dist/Glowmere-<version>-win64.zip: Glowmere.scr,
# Glowmere.dll and a short read-me on installing a screen saver.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh >/dev/null

version=$(sed -n 's/^project(Glowmere VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=Glowmere-$version-win64
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name" dist
cp build/win64/bin/Glowmere.scr build/win64/bin/Glowmere.dll "$stage/$name/"
# The read-me travels with line ends a Windows editor shows properly.
sed 's/$/\r/' scripts/install-readme.txt >"$stage/$name/README.txt"
rm -f "dist/$name.zip"
(cd "$stage" && zip -q -X -r "$OLDPWD/dist/$name.zip" "$name")
echo "package: dist/$name.zip"
unzip -l "dist/$name.zip"
