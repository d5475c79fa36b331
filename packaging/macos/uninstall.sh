#!/bin/sh
# Undoes install.sh, also after one that stopped halfway: the monitor leaves the
# manager's folder and the vendor's data source goes back. Running it again
# changes nothing more. ROOT, when set, stands for / (tests).
#   sudo sh uninstall.sh <vendor's data source, e.g. Vendor.ds>
set -u
sources="${ROOT:-}/Library/Image Capture/TWAIN Data Sources"
aside="${ROOT:-}/Library/Image Capture/Monitored Data Sources"
die() { echo "uninstall.sh: $*" >&2; exit 1; }

[ $# -eq 1 ] && [ -n "$1" ] || { echo "usage: sudo sh uninstall.sh <vendor's data source, e.g. Vendor.ds>" >&2; exit 2; }
vendor=$(basename "$1")
[ -d "$sources" ] || die "no folder $sources; nothing changed"
[ -w "$sources" ] || die "no permission to change $sources (run with sudo); nothing changed"
if [ -e "$aside/$vendor" ] && [ -e "$sources/$vendor" ]; then
  die "$vendor is both in $sources and in $aside: keep one, then run this again; nothing changed"
fi
rm -rf "$sources/TwainMonitor.ds" "$sources/.TwainMonitor.ds.new" || die "could not remove TwainMonitor.ds"
if [ -e "$aside/$vendor" ]; then
  mv "$aside/$vendor" "$sources/" || die "could not move $vendor back from $aside"
  rmdir "$aside" 2>/dev/null || true
fi
echo "uninstall.sh: TwainMonitor.ds removed; $vendor in $sources"
