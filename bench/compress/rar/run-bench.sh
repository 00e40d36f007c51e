#!/usr/bin/env bash
# Extracts and lists a ~100 MB mixed RAR archive (plain, then solid with encrypted headers)
# through the unrar engine and through the unrar command line in one run, and prints the time
# ratio engine / unrar. Both use the same decoder; the engine adds a listing pass before it
# extracts and names every destination itself.
# Usage: bench/compress/rar/run-bench.sh BUILD_DIR [WORK_DIR]
set -euo pipefail
build=$(realpath "${1:?build folder}")
work=${2:-$(mktemp -d /tmp/hm-bench-rar-XXXXXX)}
driver=$build/bench/hm_bench_rar_driver
engine=$build/bin/Engine/
runs=${RUNS:-3}
for tool in hyperfine rar unrar python3; do command -v $tool >/dev/null || { echo "missing $tool (scripts/setup)"; exit 1; }; done
[ -x "$driver" ] || { echo "build hm_bench_rar_driver first"; exit 1; }

src=$work/src
[ -d "$src" ] || python3 "$(dirname "$0")/../mixed_tree.py" "$src" 3000
echo "tree: $(du -sh "$src" | cut -f1) in $(find "$src" -type f | wc -l) files"

out=$work/out
mkdir -p "$out"
rm -f "$out/plain.rar" "$out/solid.rar"
rar a -idq -r -EP1 "$out/plain.rar" "$src/*"
rar a -idq -r -EP1 -s -hpbench "$out/solid.rar" "$src/*"

for kind in plain solid; do
  pw=; upw=-p-
  [ $kind = solid ] && { pw=bench; upw=-pbench; }
  hyperfine --runs "$runs" --export-json "$work/unpack-$kind.json" \
    --prepare "rm -rf $out/x-engine $out/x-cli" \
    -n engine "$driver unpack $engine $out/$kind.rar $out/x-engine $pw" \
    -n unrar "unrar x -idq $upw $out/$kind.rar $out/x-cli/"
  rm -rf "$out/x-engine" && "$driver" unpack "$engine" "$out/$kind.rar" "$out/x-engine" $pw
  diff -r "$src" "$out/x-engine" >/dev/null && echo "$kind: extracted tree matches the source"
  hyperfine --runs "$runs" --export-json "$work/list-$kind.json" \
    -n engine "$driver list $engine $out/$kind.rar $pw" \
    -n unrar "unrar lb $upw $out/$kind.rar"
done

python3 - "$work" <<'PY'
import json, sys
for step in ('unpack-plain', 'unpack-solid', 'list-plain', 'list-solid'):
    r = {x['command']: x for x in json.load(open(f'{sys.argv[1]}/{step}.json'))['results']}
    e, c = r['engine']['mean'], r['unrar']['mean']
    print(f'{step:13s} engine {e:7.3f} s   unrar {c:7.3f} s   ratio {e / c:.3f}')
PY
