#!/bin/sh
# Puts the monitor in front of a vendor's data source on this Mac: the vendor's
# data source moves out of the manager's folder (the application then offers
# the monitor in its place) and TwainMonitor.ds, beside this script, goes in.
#   sudo sh install.sh <vendor's data source, e.g. Vendor.ds>
# Nothing is changed unless every step can be done; running it again changes
# nothing more. uninstall.sh undoes it. ROOT, when set, stands for / (tests).
set -u
here=$(cd "$(dirname "$0")" && pwd)
sources="${ROOT:-}/Library/Image Capture/TWAIN Data Sources"
aside="${ROOT:-}/Library/Image Capture/Monitored Data Sources"
die() { echo "install.sh: $*; nothing changed" >&2; exit 1; }

[ $# -eq 1 ] && [ -n "$1" ] || { echo "usage: sudo sh install.sh <vendor's data source, e.g. Vendor.ds>" >&2; exit 2; }
vendor=$(basename "$1")
[ "$vendor" != TwainMonitor.ds ] || die "TwainMonitor.ds is the monitor, not a vendor's data source"
[ -d "$here/TwainMonitor.ds" ] || die "no TwainMonitor.ds beside this script in $here"
[ -d "$sources" ] || die "no folder $sources"
if [ -e "$sources/$vendor" ]; then
  [ ! -e "$aside/$vendor" ] || die "$aside/$vendor is there already: move one of the two away first"
elif [ ! -e "$aside/$vendor" ]; then
  die "no data source $vendor in $sources (ls that folder for the vendor's name)"
fi
[ -w "$sources" ] || die "no permission to change $sources (run with sudo)"

# The new monitor is copied beside its place first; only then anything moves.
staged="$sources/.TwainMonitor.ds.new"
rm -rf "$staged"
cp -R "$here/TwainMonitor.ds" "$staged" || { rm -rf "$staged"; die "could not copy TwainMonitor.ds"; }
if [ -e "$sources/$vendor" ]; then
  mkdir -p "$aside" && mv "$sources/$vendor" "$aside/" || { rm -rf "$staged"; die "could not move $vendor to $aside"; }
fi
rm -rf "$sources/TwainMonitor.ds" && mv "$staged" "$sources/TwainMonitor.ds" || {
  echo "install.sh: could not put TwainMonitor.ds in place; run uninstall.sh $vendor to undo" >&2; exit 1; }
echo "install.sh: TwainMonitor.ds installed in $sources; $vendor set aside in $aside"
