#!/usr/bin/env bash
# Configures the macOS build on this Linux machine, without a macOS SDK (a Darwin
# toolchain with the compilers taken as working), and checks the generated build
# files: the monitor is linked as a bundle exporting only DS_Entry, with no GNU
# linker flag, named TwainMonitor.ds/Contents/MacOS/TwainMonitor, with its
# Info.plist, for macOS 10.13 on x86_64, and installs into the data sources folder;
# twtrace is built too.
# Nothing is compiled: what a Mac build needs is in the README.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/Tools/install-deps.sh" clang
dir="$top/build-macos-configure"
rm -rf "$dir"
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/darwin-configure-only.cmake" \
  -DTWAIN_WERROR=ON >/dev/null

failures=0
fail() { echo "macOS configure: $*" >&2; failures=$((failures + 1)); }
# The module's link statement and the variables under it, up to the next statement.
link=$(awk '/^build TwainMonitor\.ds\/Contents\/MacOS\/TwainMonitor:/ {on = 1; print; next}
            on && /^[^ ]/ {exit} on {print}' "$dir/build.ninja")
rule=$(sed -n 's/^build TwainMonitor\.ds\/Contents\/MacOS\/TwainMonitor: \([^ ]*\) .*/\1/p' "$dir/build.ninja")
command=$(awk -v r="rule $rule" '$0 == r {on = 1; next} on && /command =/ {print; exit}' "$dir/CMakeFiles/rules.ninja")

[ -n "$link" ] || fail "no link statement for TwainMonitor.ds/Contents/MacOS/TwainMonitor"
grep -q -- ' -bundle ' <<<"$command" || fail "the module is not linked with -bundle: $command"
grep -q -- '-exported_symbols_list -Xlinker [^ ]*/Mac/DSEntry2/TwainMonitor.exp' <<<"$link" ||
  fail "the module is not linked with its exported-symbols list"
[ "$(cat "$top/Mac/DSEntry2/TwainMonitor.exp")" = "_DS_Entry" ] || fail "the exported-symbols list is not _DS_Entry alone"
grep -q -- '-framework CoreFoundation *-framework CoreServices' <<<"$link" || fail "the module does not link the frameworks"
grep -q -- '-arch x86_64 .*-mmacosx-version-min=10\.13' <<<"$link" || fail "not built for x86_64 and macOS 10.13"
for flag in --version-script --exclude-libs --no-undefined -soname -fno-plt; do
  ! grep -q -- "$flag" "$dir/build.ninja" "$dir/CMakeFiles/rules.ninja" || fail "GNU-only flag $flag in the build"
done
! grep -qE 'libMacPlatform|^build twhost[:.]|unit_tests' "$dir/build.ninja" || fail "Linux-only targets in the macOS build"
grep -q '^build twtrace:' "$dir/build.ninja" || fail "no twtrace in the macOS build"

plist="$dir/TwainMonitor.ds/Contents/Info.plist"
if [ -f "$plist" ]; then
  plist_text=$(tr -d '\n\t' <"$plist")
  for pair in CFBundleExecutable=TwainMonitor CFBundlePackageType=BNDL CFBundleName=TwainMonitor \
    CFBundleIdentifier= CFBundleVersion= CFBundleShortVersionString=; do
    key=${pair%%=*} value=${pair#*=}
    grep -q "<key>$key</key><string>${value:-[^<]}" <<<"$plist_text" || fail "Info.plist lacks $key${value:+ = $value}"
  done
  ! grep -q '\${' "$plist" || fail "Info.plist has unexpanded variables"
else
  fail "no Info.plist at $plist"
fi

install_script="$dir/Mac/DSEntry2/cmake_install.cmake"
grep -q 'DESTINATION "${CMAKE_INSTALL_PREFIX}/Library/Image Capture/TWAIN Data Sources" TYPE DIRECTORY FILES "[^"]*/TwainMonitor.ds"' \
  "$install_script" || fail "the bundle is not installed into Library/Image Capture/TWAIN Data Sources"
grep -qx 'CMAKE_INSTALL_PREFIX:PATH=/' "$dir/CMakeCache.txt" || fail "the default install prefix is not /"

# The kit: the bundle, twtrace and the scripts at the top of the zip.
kit=$(cat "$dir/cmake_install.cmake" "$dir/Mac/DSEntry2/cmake_install.cmake" "$dir/Tools/twtrace/cmake_install.cmake" |
  grep -A3 'COMPONENT STREQUAL "kit"' | tr -d '\n')
for item in '/TwainMonitor.ds"' '/twtrace"' '/install.sh"' '/uninstall.sh"'; do
  grep -q "DESTINATION \"\${CMAKE_INSTALL_PREFIX}/\.\" [^)]*$item" <<<"$kit" || fail "the kit lacks ${item%\"} at its top"
done
grep -q 'set(CPACK_GENERATOR "ZIP")' "$dir/CPackConfig.cmake" || fail "the kit is not a zip"

if [ "$failures" -ne 0 ]; then
  echo "macOS configure: $failures check(s) failed (build files in $dir)" >&2
  exit 1
fi
echo "macOS configure: bundle, exported symbols, Info.plist and install folder as expected"
