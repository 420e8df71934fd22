#!/usr/bin/env bash
# Fails when clang-format (with the repository's .clang-format) would change a C or C++ file of the checkout;
# `make format` mends them. Only tracked files count, so build folders and scratch files never do.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
if ! out=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
  printf '%s\n' "$out" | grep -E '^[^ ].*: (error|warning):' | sed 's/: .*//' | sort -u | sed 's/^/needs formatting: /'
  echo "check-format: run 'make format' to format these files"
  exit 1
fi
