#!/usr/bin/env bash
# The macOS kit's install.sh and uninstall.sh against a scratch root (with spaces
# in its path, as in the kit's): each step's exit status, first line of output
# and what is left in /Library/Image Capture afterwards.
#   bash mac_install_scripts_test.sh <packaging/macos folder>
set -uo pipefail
scripts=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"
kit="$tmp/the kit" bare="$tmp/bare kit"
export ROOT="$tmp/scratch root"
mkdir -p "$kit/TwainMonitor.ds/Contents/MacOS" "$bare"
echo new >"$kit/TwainMonitor.ds/Contents/MacOS/TwainMonitor"
cp "$scripts/install.sh" "$scripts/uninstall.sh" "$kit/" && cp "$scripts/install.sh" "$bare/"
lib="$ROOT/Library/Image Capture"
sources="$lib/TWAIN Data Sources" aside="$lib/Monitored Data Sources"

state() { (cd "$lib" && find . -mindepth 2 -maxdepth 2 | sed 's|^\./||' | sort | tr '\n' ';'); }
fresh() { rm -rf "$ROOT"; mkdir -p "$sources/Vendor Scan.ds/Contents"; chmod -R a+rX "$tmp"; }
S="TWAIN Data Sources" A="Monitored Data Sources"
before="$S/Vendor Scan.ds;"
after="$A/Vendor Scan.ds;$S/TwainMonitor.ds;"
# { setup | command | exit | first line of output | state after }
cases=(
  "fresh|install|2|usage: sudo sh install.sh <vendor's data source, e.g. Vendor.ds>|$before"
  "fresh|bare install Vendor Scan.ds|1|install.sh: no TwainMonitor.ds beside this script in $bare; nothing changed|$before"
  "fresh|install Other.ds|1|install.sh: no data source Other.ds in $sources (ls that folder for the vendor's name); nothing changed|$before"
  "fresh|install TwainMonitor.ds|1|install.sh: TwainMonitor.ds is the monitor, not a vendor's data source; nothing changed|$before"
  "fresh|nobody install Vendor Scan.ds|1|install.sh: no permission to change $sources (run with sudo); nothing changed|$before"
  "fresh|install Vendor Scan.ds|0|install.sh: TwainMonitor.ds installed in $sources; Vendor Scan.ds set aside in $aside|$after"
  "-|install Vendor Scan.ds|0|install.sh: TwainMonitor.ds installed in $sources; Vendor Scan.ds set aside in $aside|$after"
  "-|nobody uninstall Vendor Scan.ds|1|uninstall.sh: no permission to change $sources (run with sudo); nothing changed|$after"
  "-|uninstall Vendor Scan.ds|0|uninstall.sh: TwainMonitor.ds removed; Vendor Scan.ds in $sources|$before"
  "-|uninstall Vendor Scan.ds|0|uninstall.sh: TwainMonitor.ds removed; Vendor Scan.ds in $sources|$before"
  "old monitor|install Vendor Scan.ds|0|install.sh: TwainMonitor.ds installed in $sources; Vendor Scan.ds set aside in $aside|$after"
  "halfway|uninstall Vendor Scan.ds|0|uninstall.sh: TwainMonitor.ds removed; Vendor Scan.ds in $sources|$before"
  "in both|install Vendor Scan.ds|1|install.sh: $aside/Vendor Scan.ds is there already: move one of the two away first; nothing changed|$A/Vendor Scan.ds;$before"
  "in both|uninstall Vendor Scan.ds|1|uninstall.sh: Vendor Scan.ds is both in $sources and in $aside: keep one, then run this again; nothing changed|$A/Vendor Scan.ds;$before"
)
failures=0
for row in "${cases[@]}"; do
  IFS='|' read -r setup command status line expected <<<"$row"
  case "$setup" in
    fresh) fresh ;;
    "old monitor") fresh; mkdir -p "$sources/TwainMonitor.ds/Contents/MacOS"; echo old >"$sources/TwainMonitor.ds/Contents/MacOS/TwainMonitor" ;;
    # install.sh stopped after the vendor's move: the staged copy is still beside its place.
    halfway) fresh; mkdir -p "$aside"; mv "$sources/Vendor Scan.ds" "$aside/"; cp -R "$kit/TwainMonitor.ds" "$sources/.TwainMonitor.ds.new" ;;
    "in both") fresh; mkdir -p "$aside/Vendor Scan.ds" ;;
  esac
  read -r -a words <<<"$command"
  runner=() dir=$kit
  # No permission: another user for root, whom modes do not stop; a read-only folder otherwise.
  locked=""
  if [ "${words[0]}" = nobody ]; then
    words=("${words[@]:1}")
    if [ "$(id -u)" -eq 0 ]; then runner=(setpriv --reuid=65534 --regid=65534 --clear-groups env ROOT="$ROOT")
    else locked=$sources; chmod a-w "$locked"; fi
  fi
  [ "${words[0]}" = bare ] && { dir=$bare; words=("${words[@]:1}"); }
  args=()
  [ ${#words[@]} -gt 1 ] && args=("${words[*]:1}")
  got_status=0
  output=$("${runner[@]}" sh "$dir/${words[0]}.sh" "${args[@]}" 2>&1) || got_status=$?
  [ -z "$locked" ] || chmod u+w "$locked"
  got_line=${output%%$'\n'*} got_state=$(state)
  if [ "$got_status|$got_line|$got_state" != "$status|$line|$expected" ]; then
    echo "FAIL: $setup, $command:" >&2
    printf '  got      %s\n  expected %s\n' "$got_status|$got_line|$got_state" "$status|$line|$expected" >&2
    failures=$((failures + 1))
  fi
  # An older monitor is replaced by the kit's.
  if [ "$setup" = "old monitor" ] && [ "$(cat "$sources/TwainMonitor.ds/Contents/MacOS/TwainMonitor")" != new ]; then
    echo "FAIL: the old monitor was not replaced" >&2; failures=$((failures + 1))
  fi
done
echo "$((${#cases[@]} - failures)) of ${#cases[@]} cases passed"
[ "$failures" -eq 0 ]
