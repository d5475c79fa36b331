#!/usr/bin/env bash
# Shows that twtrace reads a trace larger than 4 GiB (64-bit file offsets): the
# demo's trace repeated, its records renumbered as the monitor numbers them,
# until the file passes 4 GiB; `twtrace summary` must count every record of it.
# Not in CI: it writes about 4.3 GB and takes minutes. Run after Tools/demo.sh.
#   bash Tools/large-trace.sh [folder for the file, default build/]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
folder=${1:-$build}
twtrace="$build/twtrace"
log_dir="$build/stage/Users/Shared/NORVA/Lumora/LOG/TWAIN"
[ -x "$twtrace" ] && [ -d "$log_dir" ] || { echo "large-trace.sh: run bash Tools/demo.sh first" >&2; exit 1; }
one="$log_dir/$(ls -t "$log_dir" | head -n 1)"

limit=$((4 * 1024 * 1024 * 1024))
copies=$((limit / $(stat -c %s "$one") + 1))
big="$folder/large-trace.txt"
trap 'rm -f "$big"' EXIT
# "[00001] [APP] ..." heads get the next number; everything else is copied.
awk -v copies="$copies" '
  { line[NR] = $0 }
  END {
    for (c = 0; c < copies; ++c)
      for (i = 1; i <= NR; ++i) {
        text = line[i]
        if (match(text, /^\[[0-9]+\] /)) text = sprintf("[%05d] ", ++number) substr(text, RLENGTH + 1)
        print text
      }
  }' "$one" >"$big"
size=$(stat -c %s "$big")
[ "$size" -gt "$limit" ] || { echo "large-trace.sh: $big is only $size bytes" >&2; exit 1; }

# "Records: 31: 30 triplets, 1 claimed events" of one copy, times the copies.
counts() { sed -n 's/^Records: \([0-9]*\): \([0-9]*\) triplets, \([0-9]*\) claimed events$/\1 \2 \3/p'; }
read -r records triplets events < <("$twtrace" summary "$one" | counts)
expected="$((records * copies)) $((triplets * copies)) $((events * copies))"
start=$(date +%s)
got=$("$twtrace" summary "$big" | counts)
seconds=$(($(date +%s) - start))
if [ "$got" != "$expected" ]; then
  echo "large-trace.sh: twtrace summary of $size bytes counted '$got' (records, triplets, events), not '$expected'" >&2
  exit 1
fi
echo "large-trace.sh: twtrace summary read $size bytes, $copies copies of the demo trace ($expected records, triplets, events) in ${seconds}s"
