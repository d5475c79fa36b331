#!/usr/bin/env bash
# The Release build, its tests, and what a user installs:
#   - `cmake --install` into a prefix outside the build tree;
#   - the build tree moved away, the installed module loaded by a program that
#     sets no library path (as a manager does), a session traced;
#   - the Debian package built, with its files and dependencies checked.
# The build's TWAIN_MONITOR_ROOT is a folder beside the build tree, where the
# substitute driver and the log folder are staged; an installed user's build has none.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/Tools/install-deps.sh" dpkg-dev file
jobs=$(nproc)
build="$top/build-release"
work="$top/build-release-install"
root="$work/root"
prefix="$work/prefix"
moved="$work/moved-build"
installed="$prefix/lib/twain/TwainMonitor"

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTWAIN_WERROR=ON \
  -DTWAIN_MONITOR_ROOT="$root" >/dev/null
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

rm -rf "$prefix" "$root" "$moved"
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in TwainMonitor.ds libMacPlatform.so; do
  [ -f "$installed/$f" ] || { echo "install test: $installed/$f was not installed" >&2; exit 1; }
done

bundle_home="$root/Library/Image Capture/Support/NORVA/Lumora/Core"
log_dir="$root/Users/Shared/NORVA/Lumora/LOG/TWAIN"
mkdir -p "$bundle_home" "$log_dir"
cp -R "$build/bundles/TwainWrapper.bundle" "$bundle_home/"

# From here on the build tree is elsewhere: nothing may reach into it.
mv "$build" "$moved"
trap 'mv "$moved" "$build"' EXIT
status=0
env -u LD_LIBRARY_PATH "$moved/tests/install/load_monitor" "$installed/TwainMonitor.ds" || status=$?
trace=$(ls "$log_dir"/Twainlog_*.txt 2>/dev/null | head -n 1)
if [ "$status" -ne 0 ] || [ -z "$trace" ]; then
  echo "install test: the installed monitor did not run the session (exit $status, trace '${trace}')" >&2
  exit 1
fi
for line in "[00002] [APP] DG_CONTROL/DAT_IDENTITY/MSG_OPENDS" "[00004] [APP] DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS"; do
  grep -qF "$line" "$trace" || { echo "install test: no '$line' in $trace" >&2; exit 1; }
done
echo "install test: the installed monitor loaded from $installed and traced the session to $trace"
mv "$moved" "$build"
trap - EXIT

# The package: both files under /usr/local/lib/twain/TwainMonitor, and the
# C and C++ runtimes as dependencies.
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/twain-monitor_*.deb | head -n 1)
contents=$(dpkg-deb -c "$deb")
for f in TwainMonitor.ds libMacPlatform.so; do
  grep -q "\./usr/local/lib/twain/TwainMonitor/$f\$" <<<"$contents" || {
    echo "install test: $deb lacks /usr/local/lib/twain/TwainMonitor/$f" >&2; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libc6 libstdc++6; do
  grep -q "$dep" <<<"$depends" || { echo "install test: $deb does not depend on $dep ($depends)" >&2; exit 1; }
done
echo "install test: $(basename "$deb") holds the module and its library; Depends: $depends"
