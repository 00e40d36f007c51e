#!/usr/bin/env bash
# Packs and extracts a ~100 MB mixed tree through the 7z engine and through the 7z command line
# (same library, same settings) in one run, and prints the time ratio engine / 7z.
# Usage: bench/compress/sevenzip/run-bench.sh BUILD_DIR [WORK_DIR]
set -euo pipefail
build=$(realpath "${1:?build folder}")
work=${2:-$(mktemp -d /tmp/hm-bench-7z-XXXXXX)}
driver=$build/bench/hm_bench_sevenzip_driver
engine=$build/bin/Engine/
runs=${RUNS:-3}
for tool in hyperfine 7z python3; do command -v $tool >/dev/null || { echo "missing $tool (scripts/setup)"; exit 1; }; done
[ -x "$driver" ] || { echo "build hm_bench_sevenzip_driver first"; exit 1; }

src=$work/src
[ -d "$src" ] || python3 "$(dirname "$0")/../mixed_tree.py" "$src" 2000
echo "tree: $(du -sh "$src" | cut -f1) in $(find "$src" -type f | wc -l) files"

out=$work/out
mkdir -p "$out"
hyperfine --runs "$runs" --export-json "$work/pack.json" \
  --prepare "rm -f $out/engine.7z $out/cli.7z" \
  -n engine "$driver pack $engine $src/ $out/engine.7z" \
  -n 7z "7z a -bso0 -bsp0 -t7z -m0=Deflate64 -mx=5 $out/cli.7z $src/*"
# Both extract the same archive, made once here (the pack runs removed theirs).
"$driver" pack "$engine" "$src/" "$out/input.7z"
hyperfine --runs "$runs" --export-json "$work/unpack.json" \
  --prepare "rm -rf $out/x-engine $out/x-cli" \
  -n engine "$driver unpack $engine $out/input.7z $out/x-engine" \
  -n 7z "7z x -bso0 -bsp0 -o$out/x-cli $out/input.7z"
rm -rf "$out/verify" && "$driver" unpack "$engine" "$out/input.7z" "$out/verify"
diff -r "$src" "$out/verify" >/dev/null && echo "extracted tree matches the source" || echo "EXTRACTED TREE DIFFERS"

python3 - "$work" <<'PY'
import json, sys
for step in ('pack', 'unpack'):
    r = {x['command']: x for x in json.load(open(f'{sys.argv[1]}/{step}.json'))['results']}
    e, c = r['engine'], r['7z']
    # Wall time is the goal; CPU time is steadier on a shared machine.
    print(f"{step:7s} wall: engine {e['mean']:7.2f} s  7z {c['mean']:7.2f} s  ratio {e['mean'] / c['mean']:.3f}"
          f"   cpu: engine {e['user'] + e['system']:7.2f} s  7z {c['user'] + c['system']:7.2f} s"
          f"  ratio {(e['user'] + e['system']) / (c['user'] + c['system']):.3f}   (goal <= 1.05)")
PY
