#!/usr/bin/env bash
# Starts the desktop program on the demo environment built beside it.
set -euo pipefail
out="$1"
if [ ! -x "$out/quorvel" ]; then
  echo "run-demo: the desktop program is not built yet (no $out/quorvel)." >&2
  exit 1
fi
exec "$out/quorvel"
