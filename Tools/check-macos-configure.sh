#!/usr/bin/env bash
# Configures the macOS build on this Linux machine, without a macOS SDK (a Darwin
# toolchain with the compilers taken as working), and checks the generated build
# files: the monitor is linked as a bundle exporting only DS_Entry, with no GNU
# linker flag, named TwainMonitor.ds/Contents/MacOS/TwainMonitor, with its
# Info.plist, for macOS 10.13 on x86_64, and installs into the data sources folder;
# twtrace is built too, and AnyDriver as a bundle of its own in the kit.
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
# A bundle's link statement and the variables under it, up to the next statement,
# the command of its rule, its exported symbols and its Info.plist:
#   check_bundle <bundle folder> <executable> <exported-symbols list> <exported symbol> <Info.plist key=value>...
check_bundle() {
  local bundle=$1 executable=$2 export_list=$3 symbol=$4
  shift 4
  local output="$bundle/Contents/MacOS/$executable" link rule command
  link=$(awk -v head="build $output:" 'index($0, head) == 1 {on = 1; print; next}
              on && /^[^ ]/ {exit} on {print}' "$dir/build.ninja")
  rule=$(awk -v head="build $output:" 'index($0, head) == 1 {print $3; exit}' "$dir/build.ninja")
  command=$(awk -v r="rule $rule" '$0 == r {on = 1; next} on && /command =/ {print; exit}' "$dir/CMakeFiles/rules.ninja")
  [ -n "$link" ] || fail "no link statement for $output"
  grep -q -- ' -bundle ' <<<"$command" || fail "$output is not linked with -bundle: $command"
  grep -q -- "-exported_symbols_list -Xlinker [^ ]*/$export_list" <<<"$link" ||
    fail "$output is not linked with its exported-symbols list"
  [ "$(cat "$top/$export_list")" = "$symbol" ] || fail "$export_list is not $symbol alone"
  grep -q -- '-framework CoreFoundation *-framework CoreServices' <<<"$link" || fail "$output does not link the frameworks"
  grep -q -- '-arch x86_64 .*-mmacosx-version-min=10\.13' <<<"$link" || fail "$output is not built for x86_64 and macOS 10.13"

  local plist="$dir/$bundle/Contents/Info.plist" plist_text pair key value
  if [ ! -f "$plist" ]; then
    fail "no Info.plist at $plist"
    return
  fi
  plist_text=$(tr -d '\n\t' <"$plist")
  for pair in "CFBundleExecutable=$executable" CFBundlePackageType=BNDL CFBundleVersion= CFBundleShortVersionString= "$@"; do
    key=${pair%%=*} value=${pair#*=}
    grep -q "<key>$key</key><string>${value:-[^<]}" <<<"$plist_text" || fail "$bundle's Info.plist lacks $key${value:+ = $value}"
  done
  ! grep -q '\${' "$plist" || fail "$bundle's Info.plist has unexpanded variables"
}
check_bundle TwainMonitor.ds TwainMonitor Mac/DSEntry2/TwainMonitor.exp _DS_Entry CFBundleName=TwainMonitor CFBundleIdentifier=
# The kit's scripts know AnyDriver's bundle by its identifier.
check_bundle bundles/AnyDriver/TwainWrapper.bundle TwainWrapper Tools/AnyDriver/AnyDriver.exp _CreateTwainWrapper \
  CFBundleName=TwainWrapper CFBundleIdentifier=org.twain-monitor.AnyDriver
for flag in --version-script --exclude-libs --no-undefined -soname -fno-plt; do
  ! grep -q -- "$flag" "$dir/build.ninja" "$dir/CMakeFiles/rules.ninja" || fail "GNU-only flag $flag in the build"
done
! grep -qE 'libMacPlatform|^build twhost[:.]|unit_tests' "$dir/build.ninja" || fail "Linux-only targets in the macOS build"
grep -q '^build twtrace:' "$dir/build.ninja" || fail "no twtrace in the macOS build"

install_script="$dir/Mac/DSEntry2/cmake_install.cmake"
grep -q 'DESTINATION "${CMAKE_INSTALL_PREFIX}/Library/Image Capture/TWAIN Data Sources" TYPE DIRECTORY FILES "[^"]*/TwainMonitor.ds"' \
  "$install_script" || fail "the bundle is not installed into Library/Image Capture/TWAIN Data Sources"
grep -qx 'CMAKE_INSTALL_PREFIX:PATH=/' "$dir/CMakeCache.txt" || fail "the default install prefix is not /"

# The kit: the bundle, twtrace and the scripts in the zip's one folder, AnyDriver's bundle in a folder of its own.
kit=$(cat "$dir/cmake_install.cmake" "$dir/Mac/DSEntry2/cmake_install.cmake" "$dir/Tools/twtrace/cmake_install.cmake" \
  "$dir/Tools/AnyDriver/cmake_install.cmake" | grep -A3 'COMPONENT STREQUAL "kit"' | tr -d '\n')
for item in ./TwainMonitor.ds ./twtrace ./install.sh ./uninstall.sh AnyDriver/TwainWrapper.bundle; do
  folder=${item%/*} name=${item##*/}
  grep -q "DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${folder//./\\.}\" [^)]*/$name\"" <<<"$kit" || fail "the kit lacks $item"
done
grep -q 'set(CPACK_GENERATOR "ZIP")' "$dir/CPackConfig.cmake" || fail "the kit is not a zip"
grep -q 'set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY "ON")' "$dir/CPackConfig.cmake" ||
  fail "the kit's files are not in one folder of the zip"

if [ "$failures" -ne 0 ]; then
  echo "macOS configure: $failures check(s) failed (build files in $dir)" >&2
  exit 1
fi
echo "macOS configure: bundle, exported symbols, Info.plist and install folder as expected"
