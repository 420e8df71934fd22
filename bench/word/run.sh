#!/usr/bin/env bash
# The word merge benchmark with its reference: builds word_bench (make bench) when it is missing, installs
# docxtemplater and pizzip from the npm registry into bench/word/node_modules, then runs the stand-in's
# merges and docxtemplater's on the same records and template, the reference also when the stand-in's own
# checks fail.
#
# Usage: bench/word/run.sh [path of word_bench]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
bench="${1:-$root/build/release/out/word_bench}"

if [ ! -x "$bench" ]; then
  make -C "$root" bench
fi
if [ ! -d "$here/node_modules/docxtemplater" ] || [ ! -d "$here/node_modules/pizzip" ]; then
  npm install --prefix "$here" --no-package-lock --no-audit --no-fund
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Both sides always run: the stand-in's exit status (1 when a time ratio passes its limit) is the script's
# once the reference has run too.
status=0
"$bench" "$work" || status=$?
node "$here/docxtemplater.js" "$work" || status=$?
exit "$status"
