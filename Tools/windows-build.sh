#!/usr/bin/env bash
# Cross-builds the monitor for Windows with Debian's mingw-w64 (installed when
# missing): build-windows-x86_64/ for 64-bit applications, build-windows-i686/ for
# 32-bit ones. Each holds TwainMonitor.ds, and the substitute driver ScannerDriver.ds,
# twhost.exe and the unit tests for the tests under wine.
#   bash Tools/windows-build.sh [x86_64|i686]    (default: both)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: bash Tools/windows-build.sh [x86_64|i686]"
case "${1:-}" in
  "") architectures="x86_64 i686" ;;
  x86_64|i686) architectures=$1 ;;
  -h|--help) echo "$usage"; exit 0 ;;
  *) echo "windows-build.sh: unknown argument '$1'" >&2; echo "$usage" >&2; exit 2 ;;
esac
# googletest: the sources the unit tests are built from with the same compiler.
bash "$top/Tools/install-deps.sh" g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest
for arch in $architectures; do
  dir="$top/build-windows-$arch"
  cmake -S "$top" -B "$dir" -G Ninja -DTWAIN_WERROR=ON -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-$arch.cmake" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
done
