#!/usr/bin/env bash
# What testing every output costs: the same batch through harrowmint-cli with --test-output
# (TestOutput=1: each output's data read back and checked before it counts) against TestOutput=0
# (the directory check only), in the same run, for each output format, over the corpus of
# batch_bench.sh (ZIP sources of ~100 MB in all). Reports time with the test / time without.
# Usage: test_output_bench.sh [BUILD_DIR] [WORK_DIR]   (TEST_BENCH_RUNS, default 3;
# TEST_BENCH_FORMATS, default "zip 7z rar"; TEST_BENCH_ITEMS, default 28; TEST_BENCH_JOBS, default 1)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
cli=$build/bin/harrowmint-cli
[ -x "$cli" ] || { echo "missing $cli: cmake --build $build --target harrowmint-cli" >&2; exit 2; }
for tool in zip hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (run scripts/setup)" >&2; exit 2; }
done
work=${2:-$(mktemp -d /tmp/hm-test-bench-XXXXXX)}
runs=${TEST_BENCH_RUNS:-3}
formats=${TEST_BENCH_FORMATS:-zip 7z rar}
items=${TEST_BENCH_ITEMS:-28}
jobs=${TEST_BENCH_JOBS:-1}

source "$here/bench_home.sh"
# The side without the option checks each output's directory only.
[ -e "$home/Data/Setting.ini" ] && { echo "the seed data folder has a Setting.ini; expected none" >&2; exit 2; }
printf '[Setting]\r\nTestOutput=0\r\n' >"$home/Data/Setting.ini"
corpus_formats=zip
source "$here/bench_corpus.sh"
echo "== $(du -cb corpus/zip/* | tail -1 | cut -f1) bytes in $(ls corpus/zip | wc -l) ZIP sources"

for format in $formats; do
  run="'$cli' --home '$home' --jobs $jobs --format $format --output '$work/out'"
  hyperfine --runs "$runs" --export-json "test-$format.json" --prepare "rm -rf out" \
    -n "tested $format" "$run --test-output $work/corpus/zip/*" \
    -n "untested $format" "$run $work/corpus/zip/*"
done

python3 - "$formats" <<'PY'
import json, sys
# The fastest run of each side is the steadier figure on a shared machine; the mean beside it.
print("\n== summary (ratio = batch with --test-output / batch without)")
for fmt in sys.argv[1].split():
    r = {x["command"]: x for x in json.load(open("test-%s.json" % fmt))["results"]}
    t, u = r["tested " + fmt], r["untested " + fmt]
    print("%-4s fastest: tested %6.2f s  untested %6.2f s  ratio %.2f   mean: %6.2f s  %6.2f s  ratio %.2f"
          % (fmt, t["min"], u["min"], t["min"] / u["min"], t["mean"], u["mean"], t["mean"] / u["mean"]))
PY
