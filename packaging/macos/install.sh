#!/bin/sh
# Puts the monitor in front of a vendor's data source on this Mac: the vendor's
# data source moves out of the manager's folder (the application then offers
# the monitor in its place) and TwainMonitor.ds, beside this script, goes in.
# The monitor loads the driver bundle in the NORVA Lumora folder below. With
# --any, that is the kit's AnyDriver bundle, which hands every triplet to the
# vendor's data source where it was set aside: any scanner can be traced (a
# NORVA Lumora driver found there is set aside too).
#   sudo sh install.sh [--any] <vendor's data source, e.g. Vendor.ds>
# Nothing is changed unless every step can be done; running it again changes
# nothing more. uninstall.sh undoes it. ROOT, when set, stands for / (tests).
set -u
here=$(cd "$(dirname "$0")" && pwd)
sources="${ROOT:-}/Library/Image Capture/TWAIN Data Sources"
aside="${ROOT:-}/Library/Image Capture/Monitored Data Sources"
core="${ROOT:-}/Library/Image Capture/Support/NORVA/Lumora/Core"
die() { echo "install.sh: $*; nothing changed" >&2; exit 1; }
# AnyDriver's bundle, told from a vendor's driver by its identifier.
is_any_driver() { grep -qs '<string>org.twain-monitor.AnyDriver</string>' "$1/Contents/Info.plist"; }

any=""
[ "${1:-}" = --any ] && { any=yes; shift; }
[ $# -eq 1 ] && [ -n "$1" ] || { echo "usage: sudo sh install.sh [--any] <vendor's data source, e.g. Vendor.ds>" >&2; exit 2; }
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
driver="$core/TwainWrapper.bundle"
set_aside_driver=""
if [ -n "$any" ]; then
  [ -d "$here/AnyDriver/TwainWrapper.bundle" ] || die "no AnyDriver/TwainWrapper.bundle beside this script in $here"
  [ "$vendor" != TwainWrapper.bundle ] || die "TwainWrapper.bundle is a driver's name, not a data source's"
  if [ -e "$driver" ] && ! is_any_driver "$driver"; then
    [ ! -e "$aside/TwainWrapper.bundle" ] || die "$aside/TwainWrapper.bundle is there already: move one of the two away first"
    set_aside_driver=yes
  fi
  existing=$core
  while [ ! -e "$existing" ]; do existing=$(dirname "$existing"); done
  [ -w "$existing" ] || die "no permission to change $existing (run with sudo)"
fi

# The new bundles are copied beside their places first; only then anything moves.
staged="$sources/.TwainMonitor.ds.new" staged_driver="$core/.TwainWrapper.bundle.new"
unstage() { rm -rf "$staged"; [ -z "$any" ] || rm -rf "$staged_driver"; }
rm -rf "$staged"
cp -R "$here/TwainMonitor.ds" "$staged" || { unstage; die "could not copy TwainMonitor.ds"; }
if [ -n "$any" ]; then
  rm -rf "$staged_driver"
  { mkdir -p "$core" && cp -R "$here/AnyDriver/TwainWrapper.bundle" "$staged_driver" &&
    mkdir -p "$staged_driver/Contents/Resources" &&
    printf '%s\n' "$aside/$vendor" >"$staged_driver/Contents/Resources/Target.txt"; } ||
    { unstage; die "could not copy AnyDriver/TwainWrapper.bundle to $core"; }
fi
if [ -e "$sources/$vendor" ]; then
  mkdir -p "$aside" && mv "$sources/$vendor" "$aside/" || { unstage; die "could not move $vendor to $aside"; }
fi
undo="run uninstall.sh $vendor to undo"
if [ -n "$any" ]; then
  if [ -n "$set_aside_driver" ]; then
    mv "$driver" "$aside/" || { echo "install.sh: could not move $driver to $aside; $undo" >&2; exit 1; }
  fi
  rm -rf "$driver" && mv "$staged_driver" "$driver" || {
    echo "install.sh: could not put AnyDriver in $core; $undo" >&2; exit 1; }
fi
rm -rf "$sources/TwainMonitor.ds" && mv "$staged" "$sources/TwainMonitor.ds" || {
  echo "install.sh: could not put TwainMonitor.ds in place; $undo" >&2; exit 1; }
if [ -n "$any" ]; then
  echo "install.sh: TwainMonitor.ds installed in $sources; $vendor set aside in $aside; AnyDriver in $core hands it every triplet"
  [ -z "$set_aside_driver" ] || echo "install.sh: the driver that was in $core is set aside in $aside"
else
  echo "install.sh: TwainMonitor.ds installed in $sources; $vendor set aside in $aside"
fi
