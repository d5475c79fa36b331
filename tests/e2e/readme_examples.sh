#!/usr/bin/env bash
# Runs every example of the README and of docs/*.md as a user would, from the
# repository root, on the build/ that Tools/demo.sh makes (the tree ctest runs
# this in).
#
# The README's fences say what is an example:
#   ```sh      shell commands for Linux, run exactly as written, block by block
#              (each block one bash script with -euo pipefail); a block fails
#              the test when it exits with another status than 0.
#   ```twhost  a twhost session script: written to a file and run with
#              build/twhost build/TwainMonitor.ds <file>; it must exit 0 (every
#              triplet answered as the script expects).
#   ```text, ```console and any other word: shown, never run (output, syntax,
#              macOS steps).
#   ``` alone: an error; every block says what it is.
# Lines of a ```sh block that run one of the repository's top-level scripts
# (`bash Tools/<name>.sh ...`: demo, test, fuzz, bench, ...) are not run again
# here: they build trees or run the whole suite (this test is part of it), and
# CI runs them itself. The script must exist and pass `bash -n` instead.
#
# Before the examples run, build/stage is staged as the demo stages it; the trace
# files the examples write are removed afterwards, so the demo's stage is left
# as it was found.
#   bash tests/e2e/readme_examples.sh [FILE.md ...]     (default: README.md docs/*.md)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
if [ $# -gt 0 ]; then documents=("$@"); else documents=(README.md docs/*.md); fi

bash Tools/stage.sh build
log_dir=build/stage/Users/Shared/NORVA/Lumora/LOG/TWAIN
scratch=$(mktemp -d)
before="$scratch/traces-before"
ls "$log_dir" >"$before"
cleanup() {
  local f
  for f in "$log_dir"/*; do
    [ -e "$f" ] || continue
    grep -qxF "${f##*/}" "$before" || rm -f "$f"
  done
  rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
run=0
shown=0
fail() {
  echo "example ($readme line $1) failed: $2" >&2
  sed 's/^/    /' "$3" >&2
  failures=$((failures + 1))
}

# One block: its fence's kind, the README line it starts on, its text.
run_block() {
  local kind=$1 line=$2 text=$3
  local body="$scratch/block" out="$scratch/out"
  case "$kind" in
    sh | twhost) run=$((run + 1)) ;;
    none)
      echo "$text" >"$out"
      fail "$line" "a block without a word after its fence (sh, twhost, text, ...)" "$out"
      ;;
    *) shown=$((shown + 1)) ;;
  esac
  case "$kind" in
    sh)
      : >"$body"
      while IFS= read -r command; do
        if [[ "$command" =~ ^[[:space:]]*bash[[:space:]]+(Tools/[A-Za-z0-9_-]+\.sh) ]]; then
          local script=${BASH_REMATCH[1]}
          if [ ! -f "$script" ] || ! bash -n "$script" 2>"$out"; then
            echo "$command" >>"$out"
            fail "$line" "$script is missing or does not parse" "$out"
          fi
          echo ":" >>"$body"
        else
          echo "$command" >>"$body"
        fi
      done <<<"$text"
      if ! bash -euo pipefail "$body" >"$out" 2>&1; then
        cat "$body" >>"$out"
        fail "$line" "the commands exited with another status than 0" "$out"
      fi
      ;;
    twhost)
      printf '%s\n' "$text" >"$body"
      if ! build/twhost build/TwainMonitor.ds "$body" >"$out" 2>&1; then
        fail "$line" "the session script did not run as it expects" "$out"
      fi
      ;;
  esac
}

for readme in "${documents[@]}"; do
  kind=""
  text=""
  start=0
  number=0
  while IFS= read -r readme_line || [ -n "$readme_line" ]; do
    number=$((number + 1))
    if [ -z "$kind" ]; then
      # A fence: three backticks or more, then an info string without backticks,
      # whose first word says what the block is.
      if [[ "$readme_line" =~ ^\`\`\`+[[:space:]]*([^\`]*)$ ]]; then
        read -r kind _ <<<"${BASH_REMATCH[1]}" || true
        kind=${kind:-none}
        text=""
        start=$number
      fi
    elif [[ "$readme_line" =~ ^\`\`\`+[[:space:]]*$ ]]; then
      run_block "$kind" "$start" "$text"
      kind=""
    else
      text+="${text:+$'\n'}$readme_line"
    fi
  done <"$readme"
  [ -z "$kind" ] || { echo "$readme: the block of line $start is not closed" >&2; exit 1; }
done

echo "README and docs: $run examples run, $shown blocks shown, $failures failed"
[ "$failures" -eq 0 ]
