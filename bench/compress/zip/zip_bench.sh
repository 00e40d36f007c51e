#!/usr/bin/env bash
# The ZIP engine against Info-ZIP in the same run:
#  1. the deflate libraries side by side on the engine's kernels (hm_deflate_compare), over the
#     ~100 MB mixed tree and over real files (this machine's C headers and Qt libraries);
#  2. packing the mixed tree with the engine (1 and 2 threads) and `zip -6 -r`: times, ratios,
#     archive sizes; then the real files, for the sizes;
#  3. extracting zip -6's archive with the engine (1 and 2 threads) and `unzip`, on the work
#     folder's disk and in memory (/dev/shm): times, ratios;
#  4. scale: 25,000, 50,000 and 100,000 small entries, and one entry of 1 GiB and of 4 GiB (half
#     text, half random), packed and extracted: time and peak memory against the size;
#  5. an entry of more than 4 GiB, tested by Info-ZIP's unzip (ZIP64 local and central records).
# Ratios are the other tool's time over the engine's (above 1: the engine is faster); times are
# medians. Other work on the machine disturbs wall times: the load is printed with each part.
# Usage: zip_bench.sh [BUILD_DIR] [WORK_DIR]   (ZIP_BENCH_RUNS, default 5; ZIP_BENCH_PARTS, default
# "1 2 3 4 5"; ZIP_BENCH_SKIP_LARGE=1 leaves out parts 4 and 5; ZIP_BENCH_CALLGRIND=1 adds
# instruction counts of the kernels to part 1).
# Needs the hm_zip_driver and hm_deflate_compare targets built, zip, unzip, hyperfine, python3,
# /usr/bin/time, and valgrind for the instruction counts.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../../build}" && pwd)
driver=$build/bench/hm_zip_driver
compare=$build/bench/hm_deflate_compare
for program in "$driver" "$compare"; do
  [ -x "$program" ] || { echo "missing $program: cmake --build $build --target $(basename "$program")" >&2; exit 2; }
done
for tool in zip unzip hyperfine python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool (run scripts/setup)" >&2; exit 2; }
done
work=${2:-$(mktemp -d /tmp/hm-zip-bench-XXXXXX)}
mkdir -p "$work"
cd "$work"
runs=${ZIP_BENCH_RUNS:-5}
parts=${ZIP_BENCH_PARTS:-1 2 3 4 5}
[ "${ZIP_BENCH_SKIP_LARGE:-0}" = 1 ] && parts=${parts//[45]/}
want() { [[ " $parts " == *" $1 "* ]]; }
load() { echo "load $(cut -d' ' -f1-3 /proc/loadavg)"; }

echo "== machine: $(nproc) cores, $(load); work folder $work"
[ -d tree ] || python3 "$here/make_tree.py" tree 100
echo "== tree: $(du -sb tree | cut -f1) bytes in $(find tree -type f | wc -l) files"
if [ ! -d real ]; then
  mkdir -p real/lib
  cp -r /usr/include real/include
  cp -L /usr/lib/x86_64-linux-gnu/libQt6{Core,Gui,Widgets,Network}.so.6 real/lib/ 2>/dev/null || true
fi
echo "== real files: $(du -sb real | cut -f1) bytes in $(find real -type f | wc -l) files"

if want 1; then
echo "== 1. libraries, mixed tree ($(load))"
"$compare" tree 3
echo "== 1. libraries, real files ($(load))"
"$compare" real 3
fi
if want 1 && [ "${ZIP_BENCH_CALLGRIND:-0}" = 1 ]; then
  echo "== 1. instructions (callgrind), 10 MB mixed tree"
  [ -d tree10 ] || python3 "$here/make_tree.py" tree10 10
  for row in "deflate zlib 6, primed" "deflate libdeflate 6, joined pieces" "deflate libdeflate 6, joined, incompressible" \
             "deflate ISA-L 3" "inflate zlib" "inflate ISA-L" "inflate libdeflate"; do
    valgrind --tool=callgrind --toggle-collect='*TimedRun*' --callgrind-out-file=/dev/null \
      "$compare" tree10 1 "$row" >/dev/null 2>callgrind.log
    printf '%-48s %s instructions\n' "$row" "$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' callgrind.log)"
  done
fi

if want 2 || want 3; then
echo "== 2. packing ($(load))"
hyperfine --runs "$runs" --warmup 1 --export-json pack.json \
  -n 'zip -6 -r' --prepare 'rm -f zip6.zip' 'zip -6 -r -q zip6.zip tree' \
  -n 'engine, 1 thread' --prepare 'rm -f one.zip' "$driver pack tree one.zip 1" \
  -n 'engine, 2 threads' --prepare 'rm -f two.zip' "$driver pack tree two.zip 2"
cmp -s one.zip two.zip && echo "one- and two-thread archives are byte-identical" || echo "ARCHIVES DIFFER"
unzip -tqq two.zip >/dev/null && echo "unzip -t: OK" || echo "unzip -t: FAILED"
rm -f real-zip6.zip real-engine.zip
zip -6 -r -q real-zip6.zip real
"$driver" pack real real-engine.zip 2

echo "== 3. extracting zip6.zip ($(load))"
shm=/dev/shm/hm-zip-bench-$$
mkdir -p "$shm" && cp zip6.zip "$shm/" || shm=
trap '[ -z "$shm" ] || rm -rf "$shm"' EXIT
# Every run on disk gets a new folder, and none is removed before the end: ext4 makes file
# creation slow for a while after many deletions, which would burden whichever command ran later;
# and each run starts with nothing left to write back.
rm -rf outs && mkdir outs
hyperfine --runs "$runs" --warmup 1 --export-json unpack.json --prepare sync \
  -n 'unzip' 'unzip -q -o zip6.zip -d "$(mktemp -d -p outs)"' \
  -n 'engine, 1 thread' "$driver unpack zip6.zip \"\$(mktemp -d -p outs)\" 1" \
  -n 'engine, 2 threads' "$driver unpack zip6.zip \"\$(mktemp -d -p outs)\" 2"
for out in outs/*; do
  diff -r tree "$out/tree" >/dev/null || { echo "EXTRACTED TREE DIFFERS in $out"; break; }
done
rm -rf outs
if [ -n "$shm" ]; then
  hyperfine --runs "$runs" --warmup 1 --export-json unpack-shm.json \
    -n 'unzip' --prepare "rm -rf $shm/out" "unzip -q -o $shm/zip6.zip -d $shm/out" \
    -n 'engine, 1 thread' --prepare "rm -rf $shm/out" "$driver unpack $shm/zip6.zip $shm/out 1" \
    -n 'engine, 2 threads' --prepare "rm -rf $shm/out" "$driver unpack $shm/zip6.zip $shm/out 2"
fi

python3 - "$shm" <<'PY'
import json, os, sys
def medians(name):
    return {r['command']: r['median'] for r in json.load(open(name))['results']} if os.path.exists(name) else {}
pack, unpack, shm = medians('pack.json'), medians('unpack.json'), medians('unpack-shm.json')
print('\n== summary (median of runs; ratio = other tool time / engine time, above 1 is faster)')
zip6 = pack['zip -6 -r']
for name, archive in (('engine, 1 thread', 'one.zip'), ('engine, 2 threads', 'two.zip')):
    print('pack   %-18s %6.2f s  ratio %5.2f  size %d' % (name, pack[name], zip6 / pack[name], os.path.getsize(archive)))
print('pack   %-18s %6.2f s               size %d' % ('zip -6 -r', zip6, os.path.getsize('zip6.zip')))
for label, real in (('engine', 'real-engine.zip'), ('zip -6 -r', 'real-zip6.zip')):
    print('pack   real files, %-9s           size %d' % (label, os.path.getsize(real)))
print('size   engine / zip -6: mixed tree %.4f, real files %.4f' % (
    os.path.getsize('two.zip') / os.path.getsize('zip6.zip'),
    os.path.getsize('real-engine.zip') / os.path.getsize('real-zip6.zip')))
for where, times in (('disk', unpack), ('memory', shm)):
    if not times: continue
    for name in ('engine, 1 thread', 'engine, 2 threads'):
        print('unpack %-6s %-18s %6.2f s  ratio %5.2f' % (where, name, times[name], times['unzip'] / times[name]))
    print('unpack %-6s %-18s %6.2f s' % (where, 'unzip', times['unzip']))
PY
fi

# "wall-seconds user-seconds system-seconds peak-MB" of a command.
measure() {
  /usr/bin/time -f '%e %U %S %M' -o time.log "$@" >/dev/null 2>run.log || { cat run.log time.log >&2; return 1; }
  awk '{ printf "%s %s %s %.1f", $1, $2, $3, $4 / 1024 }' time.log
}
row() {  # label, bytes or entries, engine "s user sys MB", other "s user sys MB"
  read -r es eu ek em <<<"$3"
  read -r os ou ok om <<<"$4"
  awk -v l="$1" -v n="$2" -v es="$es" -v eu="$eu" -v ek="$ek" -v em="$em" -v os="$os" -v ou="$ou" -v ok="$ok" -v om="$om" \
    'BEGIN { printf "%-20s %10s  engine %6.2f s (user %5.2f sys %5.2f) %5.1f MB   other %6.2f s (user %5.2f sys %5.2f) %5.1f MB   ratio %5.2f\n",
             l, n, es, eu, ek, em, os, ou, ok, om, os / es }'
}

if want 4; then
echo "== 4. scale: small entries ($(load)); other = zip -6 -r / unzip"
for count in 25000 50000 100000; do
  rm -rf many && python3 - many "$count" <<'PY'
import os, random, sys
root, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(count)
for i in range(count):
    folder = os.path.join(root, 'd%03d' % (i // 1000))
    if i % 1000 == 0: os.makedirs(folder)
    with open(os.path.join(folder, 'f%06d.txt' % i), 'w') as f:
        f.write(('entry %d ' % i) * rng.randint(5, 60))
PY
  rm -f many.zip many-zip6.zip && rm -rf many-out many-out6
  row "pack $count entries" "$count" "$(measure "$driver" pack many many.zip 2)" \
    "$(measure zip -6 -r -q many-zip6.zip many)"
  row "unpack $count entries" "$count" "$(measure "$driver" unpack many.zip many-out 2)" \
    "$(measure unzip -q many-zip6.zip -d many-out6)"
  diff -r many many-out >/dev/null || echo "EXTRACTED ENTRIES DIFFER"
done
rm -rf many many-out many-out6 many.zip many-zip6.zip

echo "== 4. scale: one large entry, half text, half random ($(load)); other = zip -6 -r / unzip"
for mib in 1024 4097; do
  rm -rf big big-out big-out6 big.zip big-zip6.zip && mkdir big
  python3 - big/big.bin "$mib" <<'PY'
import random, sys
rng = random.Random(7)
words = [bytes(rng.choice(b'abcdefghij') for _ in range(rng.randint(2, 8))) for _ in range(500)]
text = b' '.join(rng.choice(words) for _ in range(300000))[:1 << 20]
with open(sys.argv[1], 'wb') as f:
    for k in range(int(sys.argv[2])):
        f.write(rng.randbytes(1 << 20) if k % 2 else text)
PY
  bytes=$(stat -c %s big/big.bin)
  row "pack $mib MiB" "$bytes" "$(measure "$driver" pack big big.zip 2)" "$(measure zip -6 -r -q big-zip6.zip big)"
  row "unpack $mib MiB" "$bytes" "$(measure "$driver" unpack big.zip big-out 2)" \
    "$(measure unzip -q big-zip6.zip -d big-out6)"
  cmp -s big/big.bin big-out/big.bin || echo "CONTENT DIFFERS"
  rm -rf big-out big-out6 big-zip6.zip
done
unzip -tqq big.zip && echo "unzip -t of the 4 GiB entry: OK" || echo "unzip -t of the 4 GiB entry: FAILED"
rm -rf big big.zip
fi

if want 5; then
echo "== 5. an entry of 4 GiB + 1 MiB (sparse), tested by unzip"
rm -rf huge && mkdir huge && truncate -s $(( (4 << 30) + (1 << 20) )) huge/huge.img
echo "after the big entry" > huge/after.txt
rm -f huge.zip
"$driver" pack huge huge.zip 2
unzip -tqq huge.zip && echo "unzip -t: OK" || echo "unzip -t: FAILED"
rm -rf huge huge.zip
fi
