#!/usr/bin/env bash
# Writes a seed corpus for fuzz_zip_reader into OUTDIR: small archives of the writers the reader
# meets (Info-ZIP zip stored, deflated, encrypted with the target's password "secret", with a link
# and ZIP64 records; 7-Zip; bsdtar; python streaming with data descriptors) and the hand-made
# archives of the tests.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
. "$here/seed-tree.sh"
zip -qr "$out/zip-deflated.zip" .
zip -qr0 "$out/zip-stored.zip" .
zip -qry "$out/zip-link.zip" .
zip -qr -P secret "$out/zip-encrypted.zip" .
zip -qr -fz "$out/zip64.zip" a.txt sub
7z a -tzip -bd -bso0 "$out/7z.zip" . >/dev/null
bsdtar --format zip -cf "$out/bsdtar.zip" .
python3 - "$out/python-streamed.zip" <<'PY'
import io, sys, zipfile
class Unseekable(io.RawIOBase):
    def __init__(self, f): self.f = f
    def writable(self): return True
    def write(self, b): return self.f.write(b)
with open(sys.argv[1], 'wb') as f, zipfile.ZipFile(Unseekable(f), 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('streamed.txt', 'data descriptor follows\n' * 20)
    z.writestr('dir/', '')
PY
python3 "$here/../../tests/compress/zip/zip_craft.py" "$out"
echo "$(ls "$out" | wc -l) seeds in $out"
