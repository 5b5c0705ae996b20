#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the build and the tests need and
# the machine lacks. Does nothing when all is there; says what it cannot do.
set -euo pipefail

needed=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  clang libclang-rt-14-dev
  libfltk1.3-dev fonts-urw-base35 xvfb xauth xdotool x11-utils imagemagick
  librsvg2-bin hyperfine time
)

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
