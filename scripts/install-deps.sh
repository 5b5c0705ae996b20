#!/usr/bin/env bash
# Installs, from Debian's archive, what a task needs and the machine lacks.
# Does nothing when all is there; says what it cannot do.
#
#   install-deps.sh build    what the program needs to build and run
#   install-deps.sh test     that, and what the tests need (the desktop
#                            tests' display tools, clang for the sanitizer
#                            and fuzzing builds, the Windows build and
#                            Wine to run it, a JSON parser)
#   install-deps.sh windows  what the program needs, and the cross compiler
#                            for Windows
#   install-deps.sh extras   the benchmarks' tools
set -euo pipefail

build=(cmake g++ make libcli11-dev libfltk1.3-dev fonts-urw-base35)
# The cross compiler brings windres; the zip's licences come from the
# copyright files of the packages linked in.
windows=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-common libcli11-dev zip)
test=(libgtest-dev libgmock-dev nlohmann-json3-dev clang libclang-rt-14-dev xvfb xauth xdotool x11-utils imagemagick man-db bsdextrautils strace unzip "${windows[@]}" googletest wine wine64)
extras=(libbenchmark-dev time)

case "${1:-build}" in
  build) needed=("${build[@]}") ;;
  test) needed=("${build[@]}" "${test[@]}") ;;
  windows) needed=("${build[@]}" "${windows[@]}") ;;
  extras) needed=("${build[@]}" "${extras[@]}") ;;
  *) echo "usage: install-deps.sh build|test|windows|extras" >&2; exit 2 ;;
esac

missing=()
for pkg in "${needed[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  sudo=(sudo -n)
else
  echo "install-deps: missing packages and no right to install them: ${missing[*]}" >&2
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
