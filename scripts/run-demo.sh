#!/usr/bin/env bash
# Starts the desktop program on a demo environment built beside it: the data-source database and a contacts
# database built with nsfadmin, their settings file, qvllib.ini, a documents folder holding a merge
# template, and a writable current folder. Nothing outside the build tree is touched.
set -euo pipefail
out="$(cd "$1" && pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"

for file in quorvel qvllib.so nsfadmin; do
  if [ ! -e "$out/$file" ]; then
    echo "run-demo: $out/$file is not built yet; build the project first." >&2
    exit 1
  fi
done

demo="$(dirname "$out")/demo"
mkdir -p "$demo/data" "$demo/Documents" "$demo/config" "$demo/work"

cat >"$demo/notes.ini" <<INI
[Notes]
Directory=$demo/data
UserName=Demo User
INI
export NOTES_INI="$demo/notes.ini"

# An empty server: qvlds.nsf lies in the local data directory.
printf '[General]\nServer=\n' >"$out/qvllib.ini"

# Built once, and again when a description changes, so that merge history written in one session is still
# there in the next.
for name in qvlds contacts; do
  json="$root/desktop/demo/$name.json"
  nsf="$demo/data/$([ "$name" = qvlds ] && echo qvlds.nsf || echo demo/contacts.nsf)"
  if [ ! -e "$nsf" ] || [ "$json" -nt "$nsf" ]; then
    "$out/nsfadmin" build "$json"
  fi
done

# The documents folder the program starts its dialogs in, with the default merge template.
printf 'XDG_DOCUMENTS_DIR="%s"\n' "$demo/Documents" >"$demo/config/user-dirs.dirs"
export XDG_CONFIG_HOME="$demo/config"
if [ ! -e "$demo/Documents/wordmergetemplate.doc" ]; then
  cp "$root/desktop/demo/wordmergetemplate.rtf" "$demo/Documents/wordmergetemplate.doc"
fi

# Merge data files, the header source of template creation and qvllog.txt land here.
export TMPDIR="$demo/work"
cd "$demo/work"
echo "run-demo: demo environment in $demo"
exec "$out/quorvel"
