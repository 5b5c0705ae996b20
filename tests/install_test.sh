#!/bin/sh
# The installed tree and the Debian package: `cmake --install` leaves a
# program that runs from its prefix with its module, a man page that names
# every subcommand, the reference and the examples; the package holds
# exactly the files the install puts in place.
#
#   install_test.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
program="$work/prefix/bin/scenario-builder"
"$program" --version >/dev/null || fail "the installed program does not run"
mkdir "$work/run"
env -u DISPLAY "$program" --dir "$work/run" </dev/null || fail "the installed program's plain run failed"
[ "$(ls "$work/run" | wc -l)" -eq 6 ] || fail "the plain run left $(ls "$work/run" | wc -l) files, not 6"
env -u DISPLAY "$program" check --route Valle --train 101 \
  --dir "$work/prefix/share/scenario-builder/examples/valle" >/dev/null || fail "the installed example does not check clean"

page="$work/prefix/share/man/man1/scenario-builder.1"
[ -f "$page" ] || fail "no man page"
if command -v man >/dev/null; then
  text=$(MANWIDTH=100 man -l "$page" 2>/dev/null | col -b)
  for command in check compile inspect plot texts; do
    printf '%s\n' "$text" | grep -q "scenario-builder $command" || fail "the man page does not show $command"
  done
  printf '%s\n' "$text" | grep -q "EXIT STATUS" || fail "the man page has no exit statuses"
fi

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack failed"
deb=$(ls "$work/package"/*.deb)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub("^\\./usr/", "", $6); print $6 }' | sort >"$work/in-package"
(cd "$work/prefix" && find . -type f | sed 's|^\./||' | sort) >"$work/installed"
diff "$work/installed" "$work/in-package" || fail "the package's files are not the installed ones"
dpkg-deb -f "$deb" Depends | grep -q libc6 || fail "the package declares no dependencies"
echo "install_test: installed tree and package agree ($(wc -l <"$work/installed") files)"
