#!/usr/bin/env bash
# The macOS kit's install.sh and uninstall.sh against a scratch root (with spaces
# in its path, as in the kit's): each step's exit status, first line of output
# and what is left in the two data source folders and the NORVA Lumora driver's
# folder afterwards (a bundle with a Target.txt shown with its target).
#   bash mac_install_scripts_test.sh <packaging/macos folder>
set -uo pipefail
export LC_ALL=C
scripts=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"
kit="$tmp/the kit" bare="$tmp/bare kit" old="$tmp/old kit"
export ROOT="$tmp/scratch root"
mkdir -p "$kit/TwainMonitor.ds/Contents/MacOS" "$kit/AnyDriver/TwainWrapper.bundle/Contents" "$bare"
echo new >"$kit/TwainMonitor.ds/Contents/MacOS/TwainMonitor"
# The identifier line as the build writes it.
printf '\t<string>org.twain-monitor.AnyDriver</string>\n' >"$kit/AnyDriver/TwainWrapper.bundle/Contents/Info.plist"
cp "$scripts/install.sh" "$scripts/uninstall.sh" "$kit/" && cp "$scripts/install.sh" "$bare/"
mkdir -p "$old" && cp -R "$kit/TwainMonitor.ds" "$kit/install.sh" "$old/"
lib="$ROOT/Library/Image Capture"
sources="$lib/TWAIN Data Sources" aside="$lib/Monitored Data Sources" core="$lib/Support/NORVA/Lumora/Core"

state() {
  (cd "$lib" && find "$S" "$A" "$C" -mindepth 1 -maxdepth 1 2>/dev/null | sort | while IFS= read -r item; do
    target="$item/Contents/Resources/Target.txt"
    [ -f "$target" ] && item="$item>$(cat "$target")"
    printf '%s;' "$item"
  done)
}
fresh() { rm -rf "$ROOT"; mkdir -p "$sources/Vendor Scan.ds/Contents"; chmod -R a+rX "$tmp"; }
# A NORVA Lumora driver in the place AnyDriver takes.
lumora() { mkdir -p "$core/TwainWrapper.bundle/Contents"; echo "<string>com.norva.lumora</string>" >"$core/TwainWrapper.bundle/Contents/Info.plist"; }
S="TWAIN Data Sources" A="Monitored Data Sources" C="Support/NORVA/Lumora/Core"
before="$S/Vendor Scan.ds;"
after="$A/Vendor Scan.ds;$S/TwainMonitor.ds;"
any="$A/Vendor Scan.ds;$C/TwainWrapper.bundle>$aside/Vendor Scan.ds;$S/TwainMonitor.ds;"
installed_any="install.sh: TwainMonitor.ds installed in $sources; Vendor Scan.ds set aside in $aside; AnyDriver in $core hands it every triplet"
removed="uninstall.sh: TwainMonitor.ds removed; Vendor Scan.ds in $sources"
# { setup | command | exit | first line of output | state after }
cases=(
  "fresh|install|2|usage: sudo sh install.sh [--any] <vendor's data source, e.g. Vendor.ds>|$before"
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
  # Any data source: AnyDriver takes the driver's place, naming the vendor's source set aside.
  "fresh|old install --any Vendor Scan.ds|1|install.sh: no AnyDriver/TwainWrapper.bundle beside this script in $old; nothing changed|$before"
  "fresh|install --any Vendor Scan.ds|0|$installed_any|$any"
  "-|install --any Vendor Scan.ds|0|$installed_any|$any"
  "-|uninstall --any Vendor Scan.ds|0|$removed|$before"
  "lumora|install --any Vendor Scan.ds|0|$installed_any|$A/TwainWrapper.bundle;$any"
  "-|install --any Vendor Scan.ds|0|$installed_any|$A/TwainWrapper.bundle;$any"
  "-|uninstall Vendor Scan.ds|0|$removed|$C/TwainWrapper.bundle;$before"
  "-|uninstall Vendor Scan.ds|0|$removed|$C/TwainWrapper.bundle;$before"
  "lumora|install Vendor Scan.ds|0|install.sh: TwainMonitor.ds installed in $sources; Vendor Scan.ds set aside in $aside|$A/Vendor Scan.ds;$C/TwainWrapper.bundle;$S/TwainMonitor.ds;"
  "-|uninstall Vendor Scan.ds|0|$removed|$C/TwainWrapper.bundle;$before"
  "any halfway|uninstall Vendor Scan.ds|0|$removed|$C/TwainWrapper.bundle;$before"
  "driver in both|install --any Vendor Scan.ds|1|install.sh: $aside/TwainWrapper.bundle is there already: move one of the two away first; nothing changed|$A/TwainWrapper.bundle;$C/TwainWrapper.bundle;$before"
  "driver in both|uninstall Vendor Scan.ds|1|uninstall.sh: TwainWrapper.bundle is both in $core and in $aside: keep one, then run this again; nothing changed|$A/TwainWrapper.bundle;$C/TwainWrapper.bundle;$before"
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
    lumora) fresh; lumora ;;
    # install.sh --any stopped after moving the vendor's source and the driver.
    "any halfway") fresh; lumora; mkdir -p "$aside"; mv "$sources/Vendor Scan.ds" "$core/TwainWrapper.bundle" "$aside/"
      cp -R "$kit/TwainMonitor.ds" "$sources/.TwainMonitor.ds.new"
      cp -R "$kit/AnyDriver/TwainWrapper.bundle" "$core/.TwainWrapper.bundle.new" ;;
    "driver in both") fresh; lumora; mkdir -p "$aside/TwainWrapper.bundle" ;;
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
  [ "${words[0]}" = old ] && { dir=$old; words=("${words[@]:1}"); }
  args=()
  [ "${words[1]:-}" = --any ] && { args=(--any); words=("${words[0]}" "${words[@]:2}"); }
  [ ${#words[@]} -gt 1 ] && args+=("${words[*]:1}")
  got_status=0
  output=$("${runner[@]}" sh "$dir/${words[0]}.sh" "${args[@]}" 2>&1) || got_status=$?
  [ -z "$locked" ] || chmod u+w "$locked"
  got_line=${output%%$'\n'*} got_state=$(state)
  if [ "$got_status|$got_line|$got_state" != "$status|$line|$expected" ]; then
    echo "FAIL: $setup, $command:" >&2
    printf '  got      %s\n  expected %s\n' "$got_status|$got_line|$got_state" "$status|$line|$expected" >&2
    failures=$((failures + 1))
  fi
  # AnyDriver's folders go with it: back where it started, nothing of NORVA is left.
  if [ "$got_state" = "$before" ] && [ -e "$lib/Support/NORVA" ]; then
    echo "FAIL: $setup, $command: $lib/Support/NORVA is left" >&2; failures=$((failures + 1))
  fi
  # An older monitor is replaced by the kit's.
  if [ "$setup" = "old monitor" ] && [ "$(cat "$sources/TwainMonitor.ds/Contents/MacOS/TwainMonitor")" != new ]; then
    echo "FAIL: the old monitor was not replaced" >&2; failures=$((failures + 1))
  fi
done
echo "$((${#cases[@]} - failures)) of ${#cases[@]} cases passed"
[ "$failures" -eq 0 ]
