#!/usr/bin/env bash
# The Release build for installing (no tests, benchmarks or fuzz targets) and
# what a user installs:
#   - `cmake --install` into a prefix outside the build tree: the module, its
#     library, twtrace and twhost with their man pages;
#   - the build tree moved away, the installed module loaded by a program that
#     sets no library path (as a manager does), a session traced;
#   - the installed tools run from there, with the build tree moved away;
#   - the Debian package built, with its files, dependencies and maintainer
#     checked, and lintian's errors (none allowed) and warnings.
# The build's TWAIN_MONITOR_ROOT is a folder beside the build tree, where the
# substitute driver and the log folder are staged; an installed user's build has none.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/Tools/install-deps.sh" dpkg-dev file lintian
jobs=$(nproc)
build="$top/build-release"
work="$top/build-release-install"
root="$work/root"
prefix="$work/prefix"
moved="$work/moved-build"
installed="$prefix/lib/twain/TwainMonitor"

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTWAIN_WERROR=ON \
  -DTWAIN_MONITOR_ROOT="$root" -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$jobs"
for target in unit_tests e2e_tests trace_bench twtrace_bench; do
  ! grep -q "^build [^:]*\b$target\b" "$build/build.ninja" || {
    echo "install test: BUILD_TESTING=OFF still builds $target" >&2; exit 1; }
done
# The install test's manager links nothing of ours; it is not part of that build.
mkdir -p "$work"
c++ -std=c++20 -O1 -I"$top/Common" "$top/tests/install/load_monitor.cpp" -o "$work/load_monitor" -ldl

rm -rf "$prefix" "$root" "$moved"
cmake --install "$build" --prefix "$prefix" >/dev/null
installed_files=("lib/twain/TwainMonitor/TwainMonitor.ds" "lib/twain/TwainMonitor/libMacPlatform.so"
  bin/twtrace bin/twhost share/man/man1/twtrace.1.gz share/man/man1/twhost.1.gz
  share/doc/twain-monitor/copyright share/doc/twain-monitor/changelog.gz
  lib/twain-monitor/AnyDriver/TwainWrapper.bundle/Contents/MacOS/TwainWrapper)
for f in "${installed_files[@]}"; do
  [ -f "$prefix/$f" ] || { echo "install test: $prefix/$f was not installed" >&2; exit 1; }
done
# Each man page names every command and option its program's --help lists.
for tool in twtrace twhost; do
  page=$(zcat "$prefix/share/man/man1/$tool.1.gz" | sed 's/\\-/-/g')
  for word in $("$build/$tool" --help | grep -oE '^  (--)?[a-z]+' ); do
    grep -qw -- "$word" <<<"$page" || { echo "install test: the man page of $tool lacks $word" >&2; exit 1; }
  done
done

bundle_home="$root/Library/Image Capture/Support/NORVA/Lumora/Core"
log_dir="$root/Users/Shared/NORVA/Lumora/LOG/TWAIN"
mkdir -p "$bundle_home" "$log_dir"
cp -R "$build/bundles/TwainWrapper.bundle" "$bundle_home/"

# From here on the build tree is elsewhere: nothing may reach into it.
mv "$build" "$moved"
trap 'mv "$moved" "$build"' EXIT
status=0
env -u LD_LIBRARY_PATH "$work/load_monitor" "$installed/TwainMonitor.ds" || status=$?
trace=$(ls "$log_dir"/Twainlog_*.txt 2>/dev/null | head -n 1)
if [ "$status" -ne 0 ] || [ -z "$trace" ]; then
  echo "install test: the installed monitor did not run the session (exit $status, trace '${trace}')" >&2
  exit 1
fi
for line in "[00002] [APP] DG_CONTROL/DAT_IDENTITY/MSG_OPENDS" "[00004] [APP] DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS"; do
  grep -qF "$line" "$trace" || { echo "install test: no '$line' in $trace" >&2; exit 1; }
done
echo "install test: the installed monitor loaded from $installed and traced the session to $trace"
version=$(sed -n 's/^project(TwainMonitor VERSION \([0-9.]*\) .*/\1/p' "$top/CMakeLists.txt")
for tool in twtrace twhost; do
  said=$(env -u LD_LIBRARY_PATH "$prefix/bin/$tool" --version) || true
  [ "$said" = "$tool $version" ] || { echo "install test: installed $tool --version said '$said', not '$tool $version'" >&2; exit 1; }
done
env -u LD_LIBRARY_PATH "$prefix/bin/twtrace" summary "$trace" >/dev/null ||
  { echo "install test: the installed twtrace could not read $trace" >&2; exit 1; }
# Any data source, from what is installed: the AnyDriver bundle in the driver's
# place, naming the substitute driver's plain data source as its target.
rm -rf "$bundle_home/TwainWrapper.bundle"
cp -R "$prefix/lib/twain-monitor/AnyDriver/TwainWrapper.bundle" "$bundle_home/"
mkdir -p "$bundle_home/TwainWrapper.bundle/Contents/Resources"
target_file="$bundle_home/TwainWrapper.bundle/Contents/Resources/Target.txt"
echo "$work/nowhere.ds" >"$target_file"
! env -u LD_LIBRARY_PATH "$work/load_monitor" "$installed/TwainMonitor.ds" >/dev/null 2>&1 ||
  { echo "install test: a session succeeded through AnyDriver with a missing target" >&2; exit 1; }
echo "$moved/ScannerDriver.ds" >"$target_file"
env -u LD_LIBRARY_PATH "$work/load_monitor" "$installed/TwainMonitor.ds" >/dev/null ||
  { echo "install test: the installed AnyDriver bundle did not reach $moved/ScannerDriver.ds" >&2; exit 1; }
echo "install test: the installed AnyDriver bundle traced $moved/ScannerDriver.ds"
mv "$moved" "$build"
trap - EXIT

# The package: what `cmake --install` puts in place under /usr, named by the
# project's version, and the C and C++ runtimes as dependencies.
(cd "$build" && cpack -G DEB >/dev/null)
deb="$build/twain-monitor_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "install test: no $deb" >&2; exit 1; }
contents=$(dpkg-deb -c "$deb")
for f in "${installed_files[@]}"; do
  grep -q "\./usr/$f\$" <<<"$contents" || { echo "install test: $deb lacks /usr/$f" >&2; exit 1; }
done
maintainer=$(dpkg-deb -f "$deb" Maintainer)
grep -qE '^[^<@]+ <[^@ ]+@[^@ ]+\.[a-z]+>$' <<<"$maintainer" && ! grep -q localhost <<<"$maintainer" ||
  { echo "install test: '$maintainer' is no maintainer's name and address" >&2; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libc6 libstdc++6; do
  grep -q "$dep" <<<"$depends" || { echo "install test: $deb does not depend on $dep ($depends)" >&2; exit 1; }
done
echo "install test: $(basename "$deb") holds the module, its library, twtrace and twhost with their man pages; Depends: $depends"
lintian_report="$work/lintian.txt"
lintian --tag-display-limit 0 "$deb" >"$lintian_report" 2>&1 || true
if grep -q '^E: ' "$lintian_report"; then
  echo "install test: lintian finds errors in $(basename "$deb"):" >&2; grep '^E: ' "$lintian_report" >&2; exit 1
fi
echo "install test: lintian: no error, $(grep -c '^W: ' "$lintian_report") warning(s)"
grep '^W: ' "$lintian_report" || true

# postinst links the manager's folder to the monitor's, postrm takes only that
# link away: each run against a scratch root, in a row, twice over.
# { step | what is at usr/local/lib/twain/TwainMonitor before | after }
scripts="$work/control"
rm -rf "$scripts" && mkdir -p "$scripts" && dpkg-deb -e "$deb" "$scripts"
link_state() {
  local at="$1/usr/local/lib/twain/TwainMonitor"
  if [ -L "$at" ]; then echo "link:$(readlink "$at")"; elif [ -d "$at" ]; then echo folder
  elif [ -d "$1/usr/local/lib/twain" ]; then echo none; else echo "no twain folder"; fi
}
steps=(
  "postinst configure|no twain folder|link:/usr/lib/twain/TwainMonitor"
  "postinst configure|link:/usr/lib/twain/TwainMonitor|link:/usr/lib/twain/TwainMonitor"
  "postrm remove|link:/usr/lib/twain/TwainMonitor|no twain folder"
  "postrm remove|no twain folder|no twain folder"
  "mkdir|no twain folder|folder"
  "postinst configure|folder|folder"
  "postrm purge|folder|folder"
)
scratch_root="$work/dpkg root"
rm -rf "$scratch_root" && mkdir -p "$scratch_root"
for row in "${steps[@]}"; do
  IFS='|' read -r step before after <<<"$row"
  [ "$(link_state "$scratch_root")" = "$before" ] || {
    echo "install test: before '$step' the root holds $(link_state "$scratch_root"), not $before" >&2; exit 1; }
  case "$step" in
    mkdir) mkdir -p "$scratch_root/usr/local/lib/twain/TwainMonitor" ;;
    *) DPKG_ROOT=$scratch_root sh "$scripts/${step%% *}" "${step#* }" ;;
  esac
  [ "$(link_state "$scratch_root")" = "$after" ] || {
    echo "install test: after '$step' the root holds $(link_state "$scratch_root"), not $after" >&2; exit 1; }
done
echo "install test: postinst and postrm link and unlink the manager's folder, and leave an administrator's alone"
