#!/usr/bin/env bash
# What the batch does to each archive, done with the engines' own tools: extract into a fresh
# folder, pack the folder's content again, add the must-have files, and for RAR set the comment
# and the lock; then remove the folder. rar1 is RAR in one packer run, as harrowmint packs it:
# content, must-have files, comment and lock in one add.
# Usage: raw_repack.sh zip|7z|rar|rar1 OUTPUT_DIR MUST_FILES_DIR COMMENT_FILE ARCHIVE...
set -euo pipefail
format=$1 out=$2 must=$3 comment=$4
shift 4
mkdir -p "$out"
work=$(mktemp -d "$out/.work-XXXXXX")
for archive in "$@"; do
  name=$(basename "${archive%.*}")
  dir="$work/$name"
  mkdir -p "$dir"
  case $format in
    zip)
      unzip -q "$archive" -d "$dir"
      (cd "$dir" && zip -q -r -6 "$out/$name.zip" .)
      (cd "$must" && zip -q -r -6 "$out/$name.zip" .)
      ;;
    7z)
      7z x -bd -y -o"$dir" "$archive" >/dev/null
      (cd "$dir" && 7z a -bd -t7z -m0=Deflate64 -mx=5 "$out/$name.7z" . >/dev/null)
      (cd "$must" && 7z a -bd -t7z -m0=Deflate64 -mx=5 "$out/$name.7z" . >/dev/null)
      ;;
    rar)
      unrar x -idq -y "$archive" "$dir/"
      rar a -idq -r -ep1 "$out/$name.rar" "$dir/*"
      rar a -idq -r -ep1 "$out/$name.rar" "$must/*"
      rar c -idq -z"$comment" "$out/$name.rar"
      rar k -idq "$out/$name.rar"
      ;;
    rar1)
      unrar x -idq -y "$archive" "$dir/"
      rar a -idq -r -ep1 -z"$comment" -k "$out/$name.rar" "$dir/*" "$must/*"
      ;;
  esac
  rm -rf "$dir"
done
rm -rf "$work"
