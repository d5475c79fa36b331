#!/usr/bin/env bash
# Makes three real traces through the monitor, their pages with twtrace html and
# the page of two of them with twtrace diff --html, then checks the pages in chromium (page_test.py). Pages and screenshots stay in
# the artefacts directory. Exit 77 (skipped) only when chromium is not installed.
#   browser_test.sh TWTRACE TWHOST MONITOR ROOT SCANNER_BUNDLE ANYDRIVER_BUNDLE HOSTILE_SOURCE ARTEFACTS
set -euo pipefail
[ $# -eq 8 ] || { echo "usage: browser_test.sh TWTRACE TWHOST MONITOR ROOT SCANNER_BUNDLE ANYDRIVER_BUNDLE HOSTILE_SOURCE ARTEFACTS" >&2; exit 2; }
twtrace=$1 twhost=$2 monitor=$3 root=$4 scanner=$5 anydriver=$6 hostile=$7 artefacts=$8
here=$(cd "$(dirname "$0")" && pwd)
chromium=$(command -v chromium || true)
if [ -z "$chromium" ]; then
  echo "SKIPPED: Debian's chromium is not installed (bash Tools/install-deps.sh chromium installs it)"
  exit 77
fi

core="$root/Library/Image Capture/Support/NORVA/Lumora/Core"
log_dir="$root/Users/Shared/NORVA/Lumora/LOG/TWAIN"
rm -rf "$root" "$artefacts"
mkdir -p "$core" "$log_dir" "$artefacts"

# One session through the monitor with the given driver bundle; the trace is
# moved to the artefacts under the given name.
trace() {
  local name=$1 bundle=$2 session=$3 messages
  rm -rf "$core/TwainWrapper.bundle"
  cp -R "$bundle" "$core/TwainWrapper.bundle"
  messages=$("$twhost" "$monitor" "$session" 2>&1 >/dev/null) || { echo "$messages" >&2; return 1; }
  mv "$(sed -n 's/^twhost: trace: //p' <<<"$messages")" "$artefacts/$name.txt"
  "$twtrace" html "$artefacts/$name.txt" >/dev/null
}
trace demo "$scanner" demo
trace faulty "$scanner" "$here/faulty_session.txt"
TWAIN_ANYDRIVER_TARGET=$hostile trace hostile "$anydriver" "$here/hostile_session.txt"

# The demo and the hostile session side by side (diff's status 1: they differ).
status=0
"$twtrace" diff --html "$artefacts/demo.txt" "$artefacts/hostile.txt" -o "$artefacts/diff.html" >/dev/null || status=$?
[ "$status" -eq 1 ] || { echo "twtrace diff --html exited $status, not 1" >&2; exit 1; }

python3 "$here/page_test.py" "$chromium" "$artefacts"
