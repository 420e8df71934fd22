#!/usr/bin/env bash
# The word merge benchmark with its peer: builds word_bench (make bench) when it is missing, installs
# docxtemplater and pizzip from the npm registry into bench/word/node_modules, then runs word_bench with
# docxtemplater as its peer (WORD_BENCH_PEER), the two interleaved in rounds. The peer always runs: a missed
# goal of the stand-in is a figure of the report, and a peer that cannot run (node or the packages missing)
# fails the run after the stand-in's figures.
#
# Usage: bench/word/run.sh [path of word_bench] [records] [rounds]
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
bench="${1:-$root/build/release/out/word_bench}"

if [ ! -x "$bench" ]; then
  make -C "$root" bench || exit 1
fi
if [ ! -d "$here/node_modules/docxtemplater" ] || [ ! -d "$here/node_modules/pizzip" ]; then
  npm install --prefix "$here" --no-package-lock --no-audit --no-fund >&2 ||
    echo "run.sh: npm install failed; the peer's merges will fail" >&2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
WORD_BENCH_PEER="node '$here/docxtemplater.js'" "$bench" "$work" "${2:-100000}" "${3:-5}"
