#!/usr/bin/env bash
# Whether two folders of archives hold the same archives by name with the same entries and bytes:
# each archive is extracted (unrar for RAR, 7z for the rest) and the trees are compared.
# Usage: same_contents.sh FOLDER_A FOLDER_B   (exit 1 and the differences when they differ)
set -euo pipefail
a=$1 b=$2
diff <(ls "$a") <(ls "$b")
work=$(mktemp -d /tmp/hm-same-contents-XXXXXX)
trap 'rm -rf "$work"' EXIT
for archive in "$a"/*; do
  name=$(basename "$archive")
  for side in a b; do
    folder=${!side}
    mkdir -p "$work/$side"
    case $name in
      *.rar) unrar x -idq -y "$folder/$name" "$work/$side/" ;;
      *) 7z x -bd -y -o"$work/$side" "$folder/$name" >/dev/null ;;
    esac
  done
  diff -r "$work/a" "$work/b"
  rm -rf "$work/a" "$work/b"
done
