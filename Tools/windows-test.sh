#!/usr/bin/env bash
# Cross-builds the monitor, the substitute driver and twhost for 64- and 32-bit
# Windows (mingw-w64) and tests them under wine:
#   - each TwainMonitor.ds and ScannerDriver.ds exports DS_Entry alone, by its plain
#     name (on i686 a __stdcall function), and imports nothing but Windows' DLLs;
#   - the three built-in sessions through the monitor: each trace equals the Linux
#     monitor's trace of the same session but for pointer values, and twhost sees
#     the same answers as from the driver alone;
#   - every refusal of a target, with its text, at the top of the trace, a target
#     that faults in its DllMain among them; two threads at the first call get the
#     target's answer and load it once;
#   - twtrace.exe: every command's output and exit status equal to Linux twtrace's.
# 32-bit runs use wine32; on a kernel that does not run 32-bit code, through
# qemu-user (8.1 or later, from backports on Debian 12) registered for i386
# programs for the time of the run (as root).
#   bash Tools/windows-test.sh [--64bit-only] [linux-build-dir]
#     linux-build-dir: default build, made by Tools/test.sh
#     --64bit-only: no 32-bit wine runs (the 32-bit build and its checks stay)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: bash Tools/windows-test.sh [--64bit-only] [linux-build-dir]"
wine_architectures="x86_64 i686"
case "${1:-}" in
  -h|--help) echo "$usage"; exit 0 ;;
  --64bit-only) wine_architectures=x86_64; shift ;;
  -*) echo "windows-test.sh: unknown option $1" >&2; echo "$usage" >&2; exit 2 ;;
esac
linux_build=$(cd "${1:-$top/build}" 2>/dev/null && pwd) || { echo "windows-test.sh: no Linux build at ${1:-$top/build} (run Tools/test.sh first)" >&2; exit 2; }
start=$SECONDS
failures=0

# --- Packages: wine for each architecture run (the compilers: windows-build.sh) --
if [ "$wine_architectures" = x86_64 ]; then
  bash "$top/Tools/install-deps.sh" wine wine64
else
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
  fi
  bash "$top/Tools/install-deps.sh" wine wine64 wine32:i386
fi

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

bash "$top/Tools/windows-build.sh"
echo "windows-test.sh: built in $((SECONDS - start)) s"

# --- Exports and imports ------------------------------------------------------
# Windows' own DLLs, which every Windows has; anything else (the C++ runtime, the
# thread library) would have to be shipped beside the module.
system_dlls="KERNEL32.dll msvcrt.dll SHELL32.dll ole32.dll"

# Prints what is wrong with the module's exports and imports; nothing when right.
module_faults() {
  local arch=$1 module=$2
  local dump exports imports dll
  dump=$("$arch-w64-mingw32-objdump" -p "$module")
  exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] //p' | tr '\n' ' ')
  [ "$exports" = "DS_Entry " ] || echo "exports '${exports% }', not DS_Entry alone"
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
  for dll in $imports; do
    case " $system_dlls " in *" $dll "*) ;; *) echo "imports $dll" ;; esac
  done
  # A DS_Entry without __stdcall on i686 crashes its caller on return.
  # (nm's whole output first: grep -q stops reading early, and under pipefail the
  # pipe then fails with nm's SIGPIPE.)
  if [ "$arch" = i686 ] && ! grep -q ' _DS_Entry@20$' <<<"$("$arch-w64-mingw32-nm" "$module")"; then
    echo "DS_Entry is not __stdcall"
  fi
  return 0
}

for arch in x86_64 i686; do
  dir="$top/build-windows-$arch"
  for module in TwainMonitor.ds ScannerDriver.ds; do
    faults=$(module_faults "$arch" "$dir/$module")
    [ -z "$faults" ] && pass "$arch $module exports and imports" || fail "$arch $module: $faults"
  done
  # The version resource, as the file's properties show it.
  resource=$(strings -el "$dir/TwainMonitor.ds" | tr '\n' '|')
  for field in "CompanyName|TWAIN monitor developers" "ProductName|TwainMonitor" "FileVersion|1.0.0"; do
    case "$resource" in *"$field"*) ;; *) fail "$arch TwainMonitor.ds has no version field $field" ;; esac
  done
done
# The check itself finds what it is there for: the mingw runtime DLLs export much
# and libstdc++ imports the non-system ones.
for arch in x86_64 i686; do
  runtime=$(ls /usr/lib/gcc/$arch-w64-mingw32/*-posix/libstdc++-6.dll 2>/dev/null | head -1)
  [ -n "$runtime" ] || continue
  faults=$(module_faults "$arch" "$runtime")
  grep -q "^exports " <<<"$faults" && grep -q "^imports lib" <<<"$faults" \
    && pass "$arch the exports and imports check refuses libstdc++-6.dll" \
    || fail "$arch the exports and imports check passed libstdc++-6.dll: $faults"
done
# ... and a program without a __stdcall DS_Entry.
grep -q "not __stdcall" <<<"$(module_faults i686 "$top/build-windows-i686/twhost.exe")" \
  && pass "i686 the calling convention check refuses twhost.exe" \
  || fail "i686 the calling convention check passed twhost.exe"

# --- Wine ---------------------------------------------------------------------
export WINEDEBUG=-all WINEDLLOVERRIDES="winedbg.exe=d;mscoree,mshtml="
scratch=$(mktemp -d)
binfmt=/proc/sys/fs/binfmt_misc
qemu_entry=""
cleanup() {
  set +e  # every step, whatever the one before did
  for prefix in "$scratch"/prefix-*; do [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null; done
  [ -n "$qemu_entry" ] && [ -e "$binfmt/$qemu_entry" ] && echo -1 >"$binfmt/$qemu_entry"
  rm -rf "$scratch"
}
trap cleanup EXIT

# wine's own loaders: Debian's wine command always starts the 32-bit one, which a
# kernel without 32-bit execution cannot run.
wine_x86_64() { WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 "$@"; }
wine_i686() { /usr/lib/wine/wine "$@"; }

# 32-bit code: natively where the kernel runs it, else through qemu-user, registered
# for i386 ELF programs for the time of this run (as root).
runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
# qemu before 8.1 looks for free guest memory page by page, and wine maps a lot:
# a minute of CPU for each wine process, a prefix never done. Debian 12 has
# 7.2; its backports have a current one, with no dependencies.
qemu_is_current() {
  local version
  version=$(qemu-i386 --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\.[0-9]*\).*/\1/p')
  [ -n "$version" ] && printf '8.1\n%s\n' "$version" | sort -V -C
}
install_current_qemu() {
  qemu_is_current && return 0
  bash "$top/Tools/install-deps.sh" qemu-user
  qemu_is_current && return 0
  local backports
  backports="$(. /etc/os-release && echo "$VERSION_CODENAME")-backports"
  echo "windows-test.sh: installing qemu-user from $backports"
  grep -rqs "$backports" /etc/apt/sources.list /etc/apt/sources.list.d/ ||
    echo "deb http://deb.debian.org/debian $backports main" >"/etc/apt/sources.list.d/$backports.list"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends -t "$backports" qemu-user
  qemu_is_current || { echo "windows-test.sh: no qemu-user 8.1 or later for the 32-bit runs" >&2; exit 1; }
}
if [ "$wine_architectures" != x86_64 ] && ! runs_32bit; then
  install_current_qemu
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  qemu_entry=twain-monitor-i386
  # A run that was killed leaves its entry behind: registering the name again would fail.
  [ -e "$binfmt/$qemu_entry" ] && echo -1 >"$binfmt/$qemu_entry"
  echo ":$qemu_entry:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$(command -v qemu-i386):" >"$binfmt/register"
fi

# A Linux path as wine sees it.
windows_path() { echo "Z:$(tr / '\\' <<<"$1")"; }
log_folder() { echo "$1/drive_c/users/Public/NORVA/Lumora/LOG/TWAIN"; }

# One prefix per architecture, made once.
make_prefix() {
  local arch=$1 prefix="$scratch/prefix-$1"
  local winearch=win64
  [ "$arch" = i686 ] && winearch=win32
  WINEPREFIX=$prefix WINEARCH=$winearch "wine_$arch" wineboot -i >"$scratch/wineboot" 2>&1 &&
    WINEPREFIX=$prefix wineserver -w ||
    { echo "windows-test.sh: no $arch wine prefix:" >&2; tail -5 "$scratch/wineboot" >&2; exit 1; }
  mkdir -p "$(log_folder "$prefix")"
}

# Runs twhost.exe under the architecture's wine with the given module and session;
# its standard output goes to $out, the trace it wrote to $trace (empty when none).
out="$scratch/out" trace="$scratch/trace"
run_host() {
  local arch=$1 module=$2 session=$3
  local prefix="$scratch/prefix-$arch"
  rm -f "$(log_folder "$prefix")"/* "$trace"
  (cd "$top/build-windows-$arch" && WINEPREFIX=$prefix "wine_$arch" twhost.exe "$module" "$session" >"$out" 2>/dev/null) || true
  # twhost's own lines end in CR LF on Windows; the trace's bytes are compared as they are.
  sed -i 's/\r$//' "$out"
  cat "$(log_folder "$prefix")"/Twainlog_*.txt >"$trace" 2>/dev/null || true
}

# Pointers are where each process's memory happens to be.
without_pointers() { sed -E 's/<0x[0-9a-f]{8}>/<0x........>/g' "$1"; }

linux_trace() {
  local session=$1 log="$linux_build/stage/Users/Shared/NORVA/Lumora/LOG/TWAIN"
  rm -f "$log"/Twainlog_*.txt
  "$linux_build/twhost" "$linux_build/TwainMonitor.ds" "$session" >/dev/null 2>&1 || true
  cat "$log"/Twainlog_*.txt
}

bash "$top/Tools/stage.sh" "$linux_build" >/dev/null
for session in demo vendor structures; do linux_trace "$session" >"$scratch/linux-$session.txt"; done

# The sessions through the monitor.
for arch in $wine_architectures; do
  t0=$SECONDS
  make_prefix "$arch"
  # The analyzer's unit tests and the global memory handles' tests.
  if (cd "$top/build-windows-$arch" && WINEPREFIX="$scratch/prefix-$arch" "wine_$arch" windows_unit_tests.exe) >"$scratch/unit" 2>&1; then
    pass "$arch unit tests ($(grep -a -o 'PASSED.*' "$scratch/unit" | tr -d '\r'))"
  else
    fail "$arch unit tests:"; grep -a -E 'FAILED|Failure' "$scratch/unit" | head -20 >&2
  fi
  driver=$(windows_path "$top/build-windows-$arch/ScannerDriver.ds")
  for session in demo vendor structures; do
    export TWAIN_MONITOR_TARGET=$driver
    run_host "$arch" TwainMonitor.ds "$session"
    cp "$out" "$scratch/monitored"
    if diff <(without_pointers "$scratch/linux-$session.txt") <(without_pointers "$trace") >"$scratch/diff"; then
      pass "$arch $session: the trace equals Linux's"
    else
      fail "$arch $session: the trace differs from Linux's:"; head -20 "$scratch/diff" >&2
    fi
    unset TWAIN_MONITOR_TARGET
    run_host "$arch" ScannerDriver.ds "$session"
    diff "$scratch/monitored" "$out" >/dev/null && pass "$arch $session: twhost sees what the driver alone answers" \
      || fail "$arch $session: the monitor changed what twhost sees"
  done
  echo "windows-test.sh: $arch under wine in $((SECONDS - t0)) s"
done

# --- twtrace.exe ---------------------------------------------------------------
# Every command on the demo's trace and on one with faults (the demo's with its
# MSG_ENABLEDS records taken out), read from a folder with non-ASCII characters
# and spaces: the same bytes and exit status as the Linux twtrace's.
mkdir -p "$scratch/Fähre Ü"
cp "$scratch/linux-demo.txt" "$scratch/Fähre Ü/demo.txt"
awk '/^\[[0-9][0-9][0-9][0-9][0-9]\]/ {skip = /MSG_ENABLEDS/} !skip' "$scratch/linux-demo.txt" >"$scratch/Fähre Ü/faults.txt"
twtrace_runs=("--version" "summary demo" "check demo" "json demo" "script demo" "check faults" "summary faults"
  "diff demo faults" "check missing")
# wine reads the command line in the locale's encoding: UTF-8, whatever the 32-bit runs need.
for run in "${twtrace_runs[@]}"; do
  read -r command first second <<<"$run"
  linux_args=() windows_args=()
  for name in $first $second; do
    linux_args+=("$scratch/Fähre Ü/$name.txt"); windows_args+=("$(windows_path "$scratch/Fähre Ü/$name.txt")")
  done
  linux_status=0 windows_status=0
  "$linux_build/twtrace" "$command" "${linux_args[@]}" >"$scratch/twtrace-linux" 2>/dev/null || linux_status=$?
  (cd "$top/build-windows-x86_64" && LC_ALL=C.UTF-8 WINEPREFIX="$scratch/prefix-x86_64" wine_x86_64 twtrace.exe "$command" \
    "${windows_args[@]}" >"$scratch/twtrace-windows" 2>/dev/null) || windows_status=$?
  if [ "$linux_status" != "$windows_status" ]; then
    fail "twtrace.exe $run: exit $windows_status, Linux's $linux_status"
  elif ! cmp -s "$scratch/twtrace-linux" "$scratch/twtrace-windows"; then
    fail "twtrace.exe $run: the output differs from Linux's:"; diff "$scratch/twtrace-linux" "$scratch/twtrace-windows" | head -10 >&2
  elif [ ! -s "$scratch/twtrace-linux" ] && [ "$command" != check ]; then
    fail "twtrace $run: no output to compare"
  else
    pass "twtrace.exe $run: Linux's output and exit status ($linux_status)"
  fi
done
# The faults are found, or the comparison above proves little.
grep -q . "$scratch/Fähre Ü/faults.txt" && ! "$linux_build/twtrace" check "$scratch/Fähre Ü/faults.txt" >/dev/null 2>&1 \
  && pass "the trace with faults has faults" || fail "the trace with faults passes twtrace check"

# --- Refusals -----------------------------------------------------------------
# { case | the target: variable, or file (its bytes, printf-style) | the trace's first line }
printf 'not a module\n' >"$scratch/text.ds"
text_ds=$(windows_path "$scratch/text.ds")
long_path="C:\\$(printf 'a%.0s' $(seq 1 300)).ds"
refused="TwainMonitor: target"
for arch in $wine_architectures; do
  other_arch=i686; [ "$arch" = i686 ] && other_arch=x86_64
  monitor_dir=$(windows_path "$top/build-windows-$arch")
  driver="$monitor_dir\\ScannerDriver.ds"
  other_driver=$(windows_path "$top/build-windows-$other_arch/ScannerDriver.ds")
  mkdir -p "$scratch/Fähre/$arch" && cp "$top/build-windows-$arch/ScannerDriver.ds" "$scratch/Fähre/$arch/"
  unicode_driver=$(windows_path "$scratch/Fähre/$arch/ScannerDriver.ds")
  target_file="$top/build-windows-$arch/TwainMonitor.target"
  from_file="(from \"$monitor_dir\\TwainMonitor.target\")"
  # Under qemu-user, wine is told of the fault as an illegal instruction (0xC000001D).
  dllmain_fault="No access to memory location."
  [ "$arch" = i686 ] && [ -n "$qemu_entry" ] && dllmain_fault="error 3221225501 (0xC000001D)"
  cases=(
    "no target|none|TwainMonitor: no target: TWAIN_MONITOR_TARGET is not set and \"$monitor_dir\\TwainMonitor.target\" cannot be read: File not found."
    "empty line|file:\r\n|$refused \"\" $from_file refused: the path is empty"
    "relative|variable:ScannerDriver.ds|$refused \"ScannerDriver.ds\" (from TWAIN_MONITOR_TARGET) refused: the path is not absolute"
    "drive-relative|variable:C:ScannerDriver.ds|$refused \"C:ScannerDriver.ds\" (from TWAIN_MONITOR_TARGET) refused: the path is not absolute"
    "control character|file:C:\\\\a\tb.ds\n|$refused \"C:\\a\\x09b.ds\" $from_file refused: the path holds a control character"
    "longer than MAX_PATH|variable:$long_path|$refused \"${long_path:0:160}\"... (from TWAIN_MONITOR_TARGET) refused: the path is longer than 259 characters (MAX_PATH)"
    "missing|variable:C:\\nowhere\\x.ds|$refused \"C:\\nowhere\\x.ds\" (from TWAIN_MONITOR_TARGET) refused: Path not found."
    "a folder|variable:C:\\windows|$refused \"C:\\windows\" (from TWAIN_MONITOR_TARGET) refused: a folder, not a data source file"
    "not loadable|variable:$text_ds|$refused \"$text_ds\" (from TWAIN_MONITOR_TARGET) refused: the loader refused it: Bad EXE format for the file."
    "other bitness|variable:$other_driver|$refused \"$other_driver\" (from TWAIN_MONITOR_TARGET) refused: the loader refused it: Bad EXE format for the file."
    "no DS_Entry|variable:C:\\windows\\system32\\version.dll|$refused \"C:\\windows\\system32\\version.dll\" (from TWAIN_MONITOR_TARGET) refused: no DS_Entry: Procedure not found."
    "faults in its DllMain|variable:$monitor_dir\\FaultInDllMain.ds|$refused \"$monitor_dir\\FaultInDllMain.ds\" (from TWAIN_MONITOR_TARGET) refused: the loader refused it: $dllmain_fault"
    "the monitor itself|variable:$monitor_dir\\TwainMonitor.ds|$refused \"$monitor_dir\\TwainMonitor.ds\" (from TWAIN_MONITOR_TARGET) refused: it is this monitor (a loop)"
    "BOM, CR LF, trailing blanks|file:\xef\xbb\xbf${driver//\\/\\\\}  \r\nignored\r\n|[00001] [APP] DG_CONTROL/DAT_IDENTITY/MSG_GET"
    "non-ASCII path|file:${unicode_driver//\\/\\\\}\n|[00001] [APP] DG_CONTROL/DAT_IDENTITY/MSG_GET"
    "the variable over the file|variable:$driver|[00001] [APP] DG_CONTROL/DAT_IDENTITY/MSG_GET"
  )
  for row in "${cases[@]}"; do
    IFS='|' read -r name target expected <<<"$row"
    rm -f "$target_file"
    unset TWAIN_MONITOR_TARGET
    case "$target" in
      variable:*) export TWAIN_MONITOR_TARGET=${target#variable:}; printf 'C:\\elsewhere.ds\n' >"$target_file" ;;
      file:*) printf "${target#file:}" >"$target_file" ;;
    esac
    run_host "$arch" TwainMonitor.ds demo
    first=$(head -1 "$trace" | sed 's/\r$//')
    if [ "$first" != "$expected" ]; then
      fail "$arch refusal '$name': the trace begins"; printf '  %s\n  expected\n  %s\n' "$first" "$expected" >&2
    elif [ "${expected:0:1}" != "[" ] && grep -q -- '-> TWRC_SUCCESS' "$out"; then
      fail "$arch refusal '$name': a triplet succeeded without a target"
    else
      pass "$arch refusal '$name'"
    fi
  done
  rm -f "$target_file"
  unset TWAIN_MONITOR_TARGET
  # Two threads at the first call, while the target's DllMain still runs.
  answers=$(cd "$top/build-windows-$arch" && TWAIN_MONITOR_TARGET="$monitor_dir\\SlowDllMain.ds" WINEPREFIX="$scratch/prefix-$arch" \
    "wine_$arch" first_call_threads.exe TwainMonitor.ds SlowDllMain.ds 2>&1 | tr -d '\r' | grep '^answers') || true
  [ "$answers" = "answers 0 0, loads 1" ] && pass "$arch two threads at the first call: $answers" ||
    fail "$arch two threads at the first call: $answers (expected: answers 0 0, loads 1)"
done

# --- The packages ---------------------------------------------------------------
# The MSI and the zip, checked by their script; the zip's files run under wine.
if bash "$top/Tools/windows-package.sh"; then
  unpacked=$(ls -d "$top"/build-windows-package/TwainMonitor-*-windows)
  said=$(cd "$unpacked" && WINEPREFIX="$scratch/prefix-x86_64" wine_x86_64 twtrace.exe --version 2>/dev/null | tr -d '\r') || true
  version=$(sed -E 's/.*TwainMonitor-(.*)-windows$/\1/' <<<"$unpacked")
  [ "$said" = "twtrace $version" ] && pass "the zip's twtrace.exe runs: $said" || fail "the zip's twtrace.exe said '$said'"
  export TWAIN_MONITOR_TARGET=$(windows_path "$top/build-windows-x86_64/ScannerDriver.ds")
  run_host x86_64 "$(windows_path "$unpacked/twain_64/TwainMonitor/TwainMonitor.ds")" demo
  unset TWAIN_MONITOR_TARGET
  diff <(without_pointers "$scratch/linux-demo.txt") <(without_pointers "$trace") >/dev/null \
    && pass "the zip's 64-bit monitor traces the demo as Linux's does" || fail "the zip's 64-bit monitor's trace differs from Linux's"
else
  fail "the Windows packages"
fi

echo "windows-test.sh: $failures failure(s), $((SECONDS - start)) s in all"
[ "$failures" -eq 0 ]
