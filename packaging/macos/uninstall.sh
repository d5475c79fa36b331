#!/bin/sh
# Undoes install.sh, also after one that stopped halfway: the monitor leaves the
# manager's folder and the vendor's data source goes back; so does the NORVA
# Lumora driver that install.sh --any set aside, once AnyDriver (known by its
# identifier, so --any is not needed here) is taken away. Running it again
# changes nothing more. ROOT, when set, stands for / (tests).
#   sudo sh uninstall.sh <vendor's data source, e.g. Vendor.ds>
set -u
sources="${ROOT:-}/Library/Image Capture/TWAIN Data Sources"
aside="${ROOT:-}/Library/Image Capture/Monitored Data Sources"
core="${ROOT:-}/Library/Image Capture/Support/NORVA/Lumora/Core"
die() { echo "uninstall.sh: $*" >&2; exit 1; }
is_any_driver() { grep -qs '<string>org.twain-monitor.AnyDriver</string>' "$1/Contents/Info.plist"; }

# The same words as install.sh's are taken.
[ "${1:-}" = --any ] && shift
[ $# -eq 1 ] && [ -n "$1" ] || { echo "usage: sudo sh uninstall.sh <vendor's data source, e.g. Vendor.ds>" >&2; exit 2; }
vendor=$(basename "$1")
driver="$core/TwainWrapper.bundle" staged_driver="$core/.TwainWrapper.bundle.new"
[ -d "$sources" ] || die "no folder $sources; nothing changed"
[ -w "$sources" ] || die "no permission to change $sources (run with sudo); nothing changed"
if [ -e "$aside/$vendor" ] && [ -e "$sources/$vendor" ]; then
  die "$vendor is both in $sources and in $aside: keep one, then run this again; nothing changed"
fi
if [ -e "$aside/TwainWrapper.bundle" ] && [ -e "$driver" ] && ! is_any_driver "$driver"; then
  die "TwainWrapper.bundle is both in $core and in $aside: keep one, then run this again; nothing changed"
fi
[ ! -d "$core" ] || [ -w "$core" ] || die "no permission to change $core (run with sudo); nothing changed"
rm -rf "$sources/TwainMonitor.ds" "$sources/.TwainMonitor.ds.new" || die "could not remove TwainMonitor.ds"
note=""
if is_any_driver "$driver"; then
  rm -rf "$driver" || die "could not remove AnyDriver from $core"
  note="AnyDriver removed from $core"
fi
rm -rf "$staged_driver" || die "could not remove $staged_driver"
if [ -e "$aside/TwainWrapper.bundle" ]; then
  mkdir -p "$core" && mv "$aside/TwainWrapper.bundle" "$core/" || die "could not move TwainWrapper.bundle back from $aside"
  note="${note:+$note; }the driver set aside is back in $core"
fi
# The folders install.sh --any made for AnyDriver, when nothing else is in them.
lumora=$(dirname "$core")
[ -e "$driver" ] || rmdir "$core" "$lumora" "$(dirname "$lumora")" 2>/dev/null
if [ -e "$aside/$vendor" ]; then
  mv "$aside/$vendor" "$sources/" || die "could not move $vendor back from $aside"
fi
rmdir "$aside" 2>/dev/null || true
echo "uninstall.sh: TwainMonitor.ds removed; $vendor in $sources"
[ -z "$note" ] || echo "uninstall.sh: $note"
