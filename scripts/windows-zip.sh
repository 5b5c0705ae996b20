#!/usr/bin/env bash
# The zip handed to players and authors on Windows:
#   windows-zip.sh EXE VERSION OUT.zip
# Its texts have CR LF line ends, as every text a Windows user opens; its
# README names only files it holds.
set -euo pipefail
exe=$1 version=$2 out=$3
src=$(cd "$(dirname "$0")/.." && pwd)
name=scenario-builder-$version-windows-x86_64
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
top=$stage/$name
mkdir -p "$top/docs" "$top/examples"
crlf() { sed -e 's/\r$//' -e 's/$/\r/'; }

cp "$exe" "$top/scenario-builder.exe"
sed "s/@VERSION@/$version/" "$src/docs/windows-readme.txt" | crlf >"$top/README.txt"
crlf <"$src/docs/format.md" >"$top/docs/format.txt"
for example in "$src"/examples/*/; do
  dest=$top/examples/$(basename "$example")
  mkdir "$dest"
  for f in "$example"*; do
    case "$f" in
      # The example's notes point at the reference as the zip holds it.
      *.md) sed 's|`docs/format.md`|`docs\\format.txt`|g' "$f" | crlf >"$dest/$(basename "${f%.md}").txt" ;;
      *) cp "$f" "$dest/" ;;
    esac
  done
done

# The program carries the C++ runtime, the MinGW-w64 runtime and CLI11:
# their licences travel with it, as Debian states them.
{
  echo "scenario-builder.exe contains code of the libraries below, linked into it."
  echo "Their copyright notices and licences follow, as Debian's packages state them."
  for pkg in libcli11-dev mingw-w64-common gcc-mingw-w64-base; do
    echo
    echo "==== $pkg (/usr/share/doc/$pkg/copyright) ===="
    echo
    cat "/usr/share/doc/$pkg/copyright"
  done
} | crlf >"$top/NOTICE.txt"

rm -f "$out"
out_abs=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
(cd "$stage" && zip -q -r -X "$out_abs" "$name")
