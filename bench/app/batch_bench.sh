#!/usr/bin/env bash
# The whole batch through harrowmint-cli against the same extraction and packing done with the
# engines' own tools, in the same run, for ZIP, 7z and RAR sources of ~100 MB each:
#   ZIP  harrowmint-cli --format zip   vs  unzip + zip -6
#   7z   harrowmint-cli --format 7z    vs  7z x + 7z a (Deflate64, level 5, as the 7z engine packs)
#   RAR  harrowmint-cli --format rar   vs  unrar x + rar a, rar c, rar k (comment and lock), and
#        vs  unrar x + one rar a with the comment and the lock, as harrowmint packs
# Both sides add the must-have files; harrowmint also runs the seed cleanup rules.
# Then the check that every output holds every file it was given is timed alone over the same
# outputs (hm_check_driver) and set beside the harrowmint batch, whose time includes it.
# Usage: batch_bench.sh [BUILD_DIR] [WORK_DIR]   (BATCH_BENCH_RUNS, default 3;
# BATCH_BENCH_FORMATS, default "zip 7z rar"; BATCH_BENCH_ITEMS, default 28; BATCH_BENCH_JOBS, the
# items harrowmint works on at once, default 1; the raw tools take one item after another)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
cli=$build/bin/harrowmint-cli
check=$build/bench/hm_check_driver
[ -x "$cli" ] || { echo "missing $cli: cmake --build $build --target harrowmint-cli" >&2; exit 2; }
[ -x "$check" ] || { echo "missing $check: cmake --build $build --target hm_check_driver" >&2; exit 2; }
for tool in zip unzip 7z rar unrar hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (run scripts/setup)" >&2; exit 2; }
done
work=${2:-$(mktemp -d /tmp/hm-batch-bench-XXXXXX)}
runs=${BATCH_BENCH_RUNS:-3}
formats=${BATCH_BENCH_FORMATS:-zip 7z rar}
items=${BATCH_BENCH_ITEMS:-28}
jobs=${BATCH_BENCH_JOBS:-1}

source "$here/bench_home.sh"
source "$here/bench_corpus.sh"

for format in $formats; do
  # RAR is also set beside the raw tools packing in one run, as harrowmint does.
  rarOneRun=()
  [ "$format" = rar ] && rarOneRun=(-n "raw rar one run" --prepare "rm -rf out-raw"
    "'$here/raw_repack.sh' rar1 '$work/out-raw' '$home/Data/MustFiles' '$home/Data/Comment.txt' $work/corpus/rar/*")
  # Several jobs are also set beside one job, whose outputs they must equal.
  oneJob=()
  [ "$jobs" != 1 ] && oneJob=(-n "harrowmint $format one job" --prepare "rm -rf out-hm1"
    "'$cli' --home '$home' --jobs 1 --format $format --output '$work/out-hm1' $work/corpus/$format/*")
  echo "== $format: $(du -cb corpus/$format/* | tail -1 | cut -f1) bytes in $(ls corpus/$format | wc -l) archives"
  hyperfine --runs "$runs" --export-json "$format.json" \
    -n "harrowmint $format" --prepare "rm -rf out-hm" \
    "'$cli' --home '$home' --jobs $jobs --format $format --output '$work/out-hm' $work/corpus/$format/*" \
    -n "raw $format" --prepare "rm -rf out-raw" \
    "'$here/raw_repack.sh' $format '$work/out-raw' '$home/Data/MustFiles' '$home/Data/Comment.txt' $work/corpus/$format/*" \
    "${rarOneRun[@]}" "${oneJob[@]}"
  # The outputs of the last harrowmint run are still there.
  "$check" "$home/Engine" "$home/Data/MustFiles" ".$format" trees out-hm
  if [ "$jobs" != 1 ]; then
    # Several items at once must make what one after another makes, entry for entry.
    "$here/same_contents.sh" out-hm1 out-hm && echo "--jobs $jobs made the outputs --jobs 1 makes"
  fi
  hyperfine --runs "$runs" --export-json "$format-check.json" -n "check $format" \
    "'$check' '$home/Engine' '$home/Data/MustFiles' .$format trees out-hm"
done

python3 - "$formats" "$jobs" <<'PY'
import json, sys
# Other work on a shared machine only ever adds time, so the fastest run of each side is the
# steadier comparison; the mean is shown beside it.
jobs = int(sys.argv[2])
goals = {"zip": 0.55, "7z": 0.60, "rar": 0.95} if jobs == 2 else {}
print("\n== summary (ratio = harrowmint time / raw tools time; harrowmint --jobs %d)" % jobs)
for fmt in sys.argv[1].split():
    results = {r["command"]: r for r in json.load(open(fmt + ".json"))["results"]}
    hm, raw = results["harrowmint " + fmt], results["raw " + fmt]
    print("%-4s fastest: harrowmint %6.2f s  raw %6.2f s  ratio %.2f   mean: %6.2f s  %6.2f s  ratio %.2f   goal <= %.2f"
          % (fmt, hm["min"], raw["min"], hm["min"] / raw["min"], hm["mean"], raw["mean"], hm["mean"] / raw["mean"],
             goals.get(fmt, 1.10)))
    if "harrowmint %s one job" % fmt in results:
        one = results["harrowmint %s one job" % fmt]
        print("     --jobs %d against --jobs 1 (%6.2f s): ratio %.2f   mean: %6.2f s  ratio %.2f"
              % (jobs, one["min"], hm["min"] / one["min"], one["mean"], hm["mean"] / one["mean"]))
    if "raw rar one run" in results:
        one = results["raw rar one run"]
        print("     against the raw tools in one rar run: raw %6.2f s  ratio %.2f   mean: %6.2f s  ratio %.2f"
              % (one["min"], hm["min"] / one["min"], one["mean"], hm["mean"] / one["mean"]))
print("\n== output check alone (every output against its files; part of the harrowmint time above)")
for fmt in sys.argv[1].split():
    hm = {r["command"]: r for r in json.load(open(fmt + ".json"))["results"]}["harrowmint " + fmt]
    check = json.load(open(fmt + "-check.json"))["results"][0]
    print("%-4s fastest: check %6.3f s  = %5.2f %% of the harrowmint batch" % (fmt, check["min"], 100 * check["min"] / hm["min"]))
PY
