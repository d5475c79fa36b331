#!/usr/bin/env bash
# Packages the Windows builds (Tools/windows-build.sh) for 64-bit Windows and
# checks the packages:
#   build-windows-package/TwainMonitor-<version>-x64.msi   (wixl)
#   build-windows-package/TwainMonitor-<version>-windows.zip
# The MSI's files each at their place (msiinfo's tables), as extracted
# (msiextract) the same bytes as the zip's; the log folder a feature off by default.
#   bash Tools/windows-package.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: bash Tools/windows-package.sh"
case "${1:-}" in
  "") ;;
  -h|--help) echo "$usage"; exit 0 ;;
  *) echo "windows-package.sh: unknown argument '$1'" >&2; echo "$usage" >&2; exit 2 ;;
esac
bash "$top/Tools/install-deps.sh" wixl msitools zip unzip
x64="$top/build-windows-x86_64" x86="$top/build-windows-i686"
for f in "$x64/TwainMonitor.ds" "$x64/twtrace.exe" "$x86/TwainMonitor.ds" "$x64/TwainMonitor.wxs"; do
  [ -f "$f" ] || { echo "windows-package.sh: no $f (run Tools/windows-build.sh first)" >&2; exit 2; }
done
version=$(sed -n 's/.* Version="\([0-9.]*\)".*/\1/p' "$x64/TwainMonitor.wxs" | head -n 1)
out="$top/build-windows-package"
name="TwainMonitor-$version-windows"
stage="$out/$name"
rm -rf "$out" && mkdir -p "$stage/twain_64/TwainMonitor" "$stage/twain_32/TwainMonitor"
x86_64-w64-mingw32-strip -o "$stage/twain_64/TwainMonitor/TwainMonitor.ds" "$x64/TwainMonitor.ds"
i686-w64-mingw32-strip -o "$stage/twain_32/TwainMonitor/TwainMonitor.ds" "$x86/TwainMonitor.ds"
x86_64-w64-mingw32-strip -o "$stage/twtrace.exe" "$x64/twtrace.exe"
sed 's/$/\r/' "$top/packaging/windows/README.txt" >"$stage/README.txt"

msi="$out/TwainMonitor-$version-x64.msi"
(cd "$stage" && wixl -a x64 -o "$msi" "$x64/TwainMonitor.wxs")
(cd "$out" && zip -qr "$name.zip" "$name")

failures=0
fail() { echo "windows-package.sh: $*" >&2; failures=$((failures + 1)); }
table() { msiinfo export "$msi" "$1" | tail -n +4 | tr -d '\r'; }

# Each file's full place: its component's folder, up to a standard folder.
declare -A parent name_of
while IFS=$'\t' read -r id up dir; do parent[$id]=$up; name_of[$id]=${dir#*|}; done < <(table Directory)
declare -A folder_of
while IFS=$'\t' read -r component _ dir _; do folder_of[$component]=$dir; done < <(table Component)
place() {
  local dir=$1 path=""
  while [ -n "${parent[$dir]:-}" ] && [ "${name_of[$dir]}" != . ]; do path="${name_of[$dir]}\\$path"; dir=${parent[$dir]}; done
  echo "[$dir]$path"
}
files=$(while IFS=$'\t' read -r _ component file _; do echo "$(place "${folder_of[$component]}")$file"; done < <(table File) | sort)
expected='[ProgramFiles64Folder]TwainMonitor\twtrace.exe
[WindowsFolder]twain_32\TwainMonitor\TwainMonitor.ds
[WindowsFolder]twain_64\TwainMonitor\TwainMonitor.ds'
[ "$files" = "$expected" ] || fail "the MSI's files are at"$'\n'"$files"$'\n'"not at"$'\n'"$expected"

# { table | its row, as msiinfo exports it }
rows=(
  "Feature|Monitor		The monitor and twtrace		2	1		0"
  "Feature|Logging		The log folder (logging on)		2	1000		0"
  "FeatureComponents|Logging	LogFolder"
  "CreateFolder|LOGFOLDER	LogFolder"
  "CustomAction|FindLogFolder	2099	LOGFOLDER	[%PUBLIC]\\NORVA\\Lumora\\LOG\\TWAIN\\	"
  "Property|ProductVersion	$version"
)
for row in "${rows[@]}"; do
  grep -qxF -- "${row#*|}" <<<"$(table "${row%%|*}")" || fail "no ${row%%|*} row '${row#*|}'"
done
# The 64-bit components are marked so; the 32-bit monitor's is not.
components=$(table Component)
for component in Monitor64 Twtrace LogFolder; do
  grep -q "^$component	[^	]*	[^	]*	256	" <<<"$components" || fail "$component is not a 64-bit component"
done
grep -q "^Monitor32	[^	]*	[^	]*	0	" <<<"$components" || fail "Monitor32 is not a 32-bit component"

extracted="$out/extracted"
msiextract -C "$extracted" "$msi" >/dev/null
for pair in "twain_64/TwainMonitor/TwainMonitor.ds" "twain_32/TwainMonitor/TwainMonitor.ds" "TwainMonitor/twtrace.exe|twtrace.exe"; do
  cmp -s "$extracted/${pair%%|*}" "$stage/${pair#*|}" || fail "the MSI's ${pair%%|*} differs from the zip's ${pair#*|}"
done
listed=$(unzip -Z1 "$out/$name.zip" | grep -v '/$' | sort | tr '\n' ' ')
[ "$listed" = "$name/README.txt $name/twain_32/TwainMonitor/TwainMonitor.ds $name/twain_64/TwainMonitor/TwainMonitor.ds $name/twtrace.exe " ] ||
  fail "the zip holds $listed"
[ "$failures" -eq 0 ] || exit 1
echo "windows-package.sh: $(basename "$msi") and $name.zip: each file at its place"
