#!/usr/bin/env bash
# `make test-windows`: cross-builds the Windows program and its tests and
# runs them under Wine with ctest, against the Linux program LINUX_PROGRAM.
# Skips, and says so, where the cross compiler or Wine is missing.
#   run-tests.sh BUILD_DIR LINUX_PROGRAM JOBS [CMAKE_FLAGS...]
set -euo pipefail
build=$1 linux=$2 jobs=$3
shift 3
cd "$(dirname "$0")/../.."
for tool in x86_64-w64-mingw32-g++-posix /usr/lib/wine/wineserver64; do
  if ! command -v $tool >/dev/null; then
    echo "test-windows: no $tool (scripts/install-deps.sh test); the Windows tests are skipped"
    exit 0
  fi
done
export WINEPREFIX="$PWD/$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$build" "$WINEPREFIX"
# One wine server for the whole run, made ready once: every Windows program
# then starts in a fraction of a second instead of seconds.
/usr/lib/wine/wineserver64 -p60
trap '/usr/lib/wine/wineserver64 -k 2>/dev/null || true' EXIT
tests/windows/wine-run "$WINEPREFIX" cmd /c exit >/dev/null 2>&1 || true
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DSB_TESTS=ON -DSB_BENCH=OFF -DSB_LINUX_PROGRAM="$linux" "$@" >/dev/null
cmake --build "$build" -j "$jobs"
cd "$build" && ctest --output-on-failure -j "$jobs"
