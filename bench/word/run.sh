#!/usr/bin/env bash
# The word merge benchmark with its reference: builds word_bench (make bench) when it is missing, installs
# docxtemplater and pizzip from the npm registry into bench/word/node_modules, then runs the stand-in's
# merges and docxtemplater's on the same records and template.
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
"$bench" "$work"
node "$here/docxtemplater.js" "$work"
