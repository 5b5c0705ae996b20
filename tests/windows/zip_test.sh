#!/usr/bin/env bash
# The zip for players and authors (scripts/windows-zip.sh):
#   zip_test.sh EXE VERSION
# every text in it ends its lines with CR LF, its README.txt names only
# files the zip holds and none of the developers' commands, and the
# licences of what is linked into the program are in it.
set -uo pipefail
exe=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
command -v zip >/dev/null && command -v unzip >/dev/null || { echo "no zip or unzip"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

bash "$here/../../scripts/windows-zip.sh" "$exe" "$version" "$work/out.zip" || { echo "FAIL: no zip"; exit 1; }
(cd "$work" && unzip -q out.zip) || fail "the zip does not unpack"
top=$work/scenario-builder-$version-windows-x86_64
[ -d "$top" ] || { echo "FAIL: no folder $top"; exit 1; }

while IFS= read -r -d '' f; do
  case "$f" in *.txt)
    grep -q $'[^\r]$' "$f" && fail "$(basename "$f"): a line ends without CR" ;;
  esac
done < <(find "$top" -type f -print0)

readme=$top/README.txt
grep -q "scenario-builder $version for Windows" "$readme" || fail "README.txt does not name the version"
grep -qiE 'apt-get|make (run|test|windows)|\.md\b' "$readme" && fail "README.txt speaks to the developers: $(grep -iE 'apt-get|make |\.md' "$readme")"
# Every file or folder it names, but the ones the program writes and the
# authors' own.
names=$(tr -d '\r' <"$readme" | grep -oE '[A-Za-z0-9_.\\-]+\.(exe|txt|png|md)|[a-z]+\\[a-z]+\\' |
  grep -vE '^(Ortesa-Vildoro_|NAME_|OUT)' | sort -u)
[ -n "$names" ] || fail "README.txt names no file"
for n in $names; do
  path=${n//\\//}
  [ -e "$top/$path" ] || [ -n "$(find "$top" -name "$(basename "$path")" -print -quit)" ] || fail "README.txt names $n, which the zip lacks"
done
for needed in scenario-builder.exe docs/format.txt examples/valle/Valle_linea.txt examples/valle/README.txt NOTICE.txt; do
  [ -f "$top/$needed" ] || fail "no $needed"
done
for licence in CLI11 mingw-w64 "GCC RUNTIME LIBRARY EXCEPTION"; do
  grep -qi "$licence" "$top/NOTICE.txt" || fail "NOTICE.txt lacks $licence"
done
cmp -s "$exe" "$top/scenario-builder.exe" || fail "the zip's program is not the one built"
echo "zip checked: $(echo "$names" | wc -w) names of README.txt found"
[ $failures -eq 0 ]
