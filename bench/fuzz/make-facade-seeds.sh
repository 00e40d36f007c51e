#!/usr/bin/env bash
# Writes a seed corpus for fuzz_facade into OUTDIR: small RAR 5 and 7z archives of the
# kinds the facade meets: stored and compressed, solid, encrypted with the target's password
# "secret" (names too), with a symbolic link, a hard link and a file copy, a file of mode 000, and
# a self-extracting stub in front of a RAR.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
. "$here/seed-tree.sh"
ln a.txt hard.txt
printf 'closed\n' > closed.bin
chmod 000 closed.bin
rar a -r -idq -m0 "$out/rar-stored.rar" .
rar a -r -idq -s "$out/rar-solid.rar" .
rar a -r -idq -ol -oh "$out/rar-links.rar" .
rar a -r -idq -oi:1 "$out/rar-copies.rar" .
rar a -r -idq -psecret "$out/rar-encrypted.rar" .
rar a -r -idq -hpsecret "$out/rar-headers-encrypted.rar" .
7z a -bd -bso0 "$out/7z-lzma2.7z" . >/dev/null
7z a -bd -bso0 -snl "$out/7z-links.7z" . >/dev/null
7z a -bd -bso0 -m0=copy "$out/7z-stored.7z" . >/dev/null
7z a -bd -bso0 -psecret -mhe=on "$out/7z-encrypted.7z" . >/dev/null
{ printf 'MZ'; head -c 4094 /dev/zero; cat "$out/rar-stored.rar"; } > "$out/self-extracting.exe"
chmod -R u+rw .
echo "$(ls "$out" | wc -l) seeds in $out"
