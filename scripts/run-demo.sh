#!/usr/bin/env bash
# Starts the desktop program on a demo environment: the data-source database and a contacts database built
# with nsfadmin, their settings file, qvllib.ini, a documents folder holding a merge template, and a writable
# current folder.
#   run-demo.sh OUT   a build's output folder (make run); the demo lies in OUT/../demo
#   quorvel-demo      the same script installed in P/bin; the demo lies in $QUORVEL_DEMO_DIR, by default
#                     ~/.local/share/quorvel-demo
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="$(cd "${1:-$here}" && pwd)"

# A build keeps everything in one folder; an installed tree has its libraries in ../lib and the demo
# descriptions in ../share.
if [ -e "$bin/qvllib.so" ]; then
  lib="$bin"
  sources="$(cd "$here/.." && pwd)/desktop/demo"
  demo="$(dirname "$bin")/demo"
else
  lib="$(cd "$bin/.." && pwd)/lib"
  sources="$(cd "$bin/.." && pwd)/share/quorvel/demo"
  demo="${QUORVEL_DEMO_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/quorvel-demo}"
fi

for file in "$bin/quorvel" "$lib/qvllib.so" "$bin/nsfadmin" "$sources/qvlds.json"; do
  if [ ! -e "$file" ]; then
    echo "run-demo: $file is missing; build or install the project first." >&2
    exit 1
  fi
done

mkdir -p "$demo/data" "$demo/Documents" "$demo/config" "$demo/work"

cat >"$demo/notes.ini" <<INI
[Notes]
Directory=$demo/data
UserName=Demo User
INI
export NOTES_INI="$demo/notes.ini"

# An empty server: qvlds.nsf lies in the local data directory. An installed tree brings its own qvllib.ini.
if [ ! -e "$lib/qvllib.ini" ]; then
  printf '[General]\nServer=\n' >"$lib/qvllib.ini"
fi

# Built once, and again when a description changes, so that merge history written in one session is still
# there in the next.
for name in qvlds contacts; do
  json="$sources/$name.json"
  nsf="$demo/data/$([ "$name" = qvlds ] && echo qvlds.nsf || echo demo/contacts.nsf)"
  if [ ! -e "$nsf" ] || [ "$json" -nt "$nsf" ]; then
    "$bin/nsfadmin" build "$json"
  fi
done

# The documents folder the program starts its dialogs in, with the default merge template.
printf 'XDG_DOCUMENTS_DIR="%s"\n' "$demo/Documents" >"$demo/config/user-dirs.dirs"
export XDG_CONFIG_HOME="$demo/config"
if [ ! -e "$demo/Documents/wordmergetemplate.doc" ]; then
  cp "$sources/wordmergetemplate.rtf" "$demo/Documents/wordmergetemplate.doc"
fi

# Merge data files, the header source of template creation and qvllog.txt land here.
export TMPDIR="$demo/work"
cd "$demo/work"
echo "run-demo: demo environment in $demo"
exec "$bin/quorvel"
