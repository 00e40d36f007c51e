#!/usr/bin/env bash
# The ZIP engine against Info-ZIP in the same run:
#  1. packing a ~100 MB mixed tree (many small files, texts, incompressible blobs) with the
#     engine (1 and 2 threads) and `zip -6 -r`: times, ratios, archive sizes;
#  2. extracting the same archive with the engine and `unzip`: times, ratio;
#  3. peak memory (/usr/bin/time -v) packing and extracting one 2 GiB file (limit 64 MB);
#  4. an entry of more than 4 GiB, tested by Info-ZIP's unzip (ZIP64 local and central records).
# Usage: zip_bench.sh [BUILD_DIR] [WORK_DIR]   (ZIP_BENCH_RUNS, default 5; ZIP_BENCH_SKIP_LARGE=1
# skips parts 3 and 4). Needs the hm_zip_driver target built, zip, unzip, hyperfine, python3.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../../build}" && pwd)
driver=$build/bench/hm_zip_driver
[ -x "$driver" ] || { echo "missing $driver: cmake --build $build --target hm_zip_driver" >&2; exit 2; }
for tool in zip unzip hyperfine python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool (run scripts/setup)" >&2; exit 2; }
done
work=${2:-$(mktemp -d /tmp/hm-zip-bench-XXXXXX)}
mkdir -p "$work"
cd "$work"
runs=${ZIP_BENCH_RUNS:-5}

echo "== machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); work folder $work"
[ -d tree ] || python3 "$here/make_tree.py" tree 100
echo "== tree: $(du -sb tree | cut -f1) bytes in $(find tree -type f | wc -l) files"

echo "== packing"
hyperfine --runs "$runs" --warmup 1 --export-json pack.json \
  -n 'zip -6 -r' --prepare 'rm -f zip6.zip' 'zip -6 -r -q zip6.zip tree' \
  -n 'engine, 1 thread' --prepare 'rm -f one.zip' "$driver pack tree one.zip 1" \
  -n 'engine, 2 threads' --prepare 'rm -f two.zip' "$driver pack tree two.zip 2"
cmp -s one.zip two.zip && echo "one- and two-thread archives are byte-identical" || echo "ARCHIVES DIFFER"

echo "== extracting zip6.zip"
hyperfine --runs "$runs" --warmup 1 --export-json unpack.json \
  -n 'unzip' --prepare 'rm -rf out' 'unzip -q -o zip6.zip -d out' \
  -n 'engine' --prepare 'rm -rf out' "$driver unpack zip6.zip out"
diff -r tree out/tree >/dev/null && echo "extracted tree matches the source" || echo "EXTRACTED TREE DIFFERS"

python3 - <<'PY'
import json, os
# Medians: extraction is dominated by file creation, which other work on the machine disturbs.
pack = {r['command']: r['median'] for r in json.load(open('pack.json'))['results']}
unpack = {r['command']: r['median'] for r in json.load(open('unpack.json'))['results']}
zip6 = pack['zip -6 -r']
print('\n== summary (median of runs; ratio = other tool time / engine time, above 1 is faster)')
for name, archive in (('engine, 1 thread', 'one.zip'), ('engine, 2 threads', 'two.zip')):
    print('pack   %-18s %6.2f s  ratio %.2f  size %d' % (name, pack[name], zip6 / pack[name], os.path.getsize(archive)))
print('pack   %-18s %6.2f s             size %d' % ('zip -6 -r', zip6, os.path.getsize('zip6.zip')))
print('unpack %-18s %6.2f s  ratio %.2f' % ('engine', unpack['engine'], unpack['unzip'] / unpack['engine']))
print('unpack %-18s %6.2f s' % ('unzip', unpack['unzip']))
PY

if [ "${ZIP_BENCH_SKIP_LARGE:-0}" = 1 ]; then exit 0; fi

peak() {  # peak resident set of a command, in MB
  /usr/bin/time -v "$@" 2> time.log >/dev/null || { cat time.log >&2; return 1; }
  awk -F': ' '/Maximum resident set size/ {printf "%.1f", $2 / 1024}' time.log
}

echo "== peak memory with one 2 GiB file (half text, half random)"
rm -rf big && mkdir big
python3 - big/big.bin <<'PY'
import random, sys
rng = random.Random(7)
words = [bytes(rng.choice(b'abcdefghij') for _ in range(rng.randint(2, 8))) for _ in range(500)]
text = b' '.join(rng.choice(words) for _ in range(300000))[:1 << 20]
with open(sys.argv[1], 'wb') as f:
    for k in range(2048):
        f.write(rng.randbytes(1 << 20) if k % 2 else text)
PY
rm -f big.zip
pack_mb=$(peak "$driver" pack big big.zip 2)
rm -rf big-out
unpack_mb=$(peak "$driver" unpack big.zip big-out)
cmp -s big/big.bin big-out/big.bin && same="content matches" || same="CONTENT DIFFERS"
echo "pack    peak ${pack_mb} MB"
echo "unpack  peak ${unpack_mb} MB ($same)"
awk -v a="$pack_mb" -v b="$unpack_mb" 'BEGIN { print ((a < 64 && b < 64) ? "both under 64 MB" : "OVER 64 MB") }'
rm -rf big big-out big.zip

echo "== an entry of 4 GiB + 1 MiB (sparse), tested by unzip"
rm -rf huge && mkdir huge && truncate -s $(( (4 << 30) + (1 << 20) )) huge/huge.img
echo "after the big entry" > huge/after.txt
rm -f huge.zip
"$driver" pack huge huge.zip 2
unzip -tqq huge.zip && echo "unzip -t: OK" || echo "unzip -t: FAILED"
rm -rf huge huge.zip
