#!/usr/bin/env bash
# The benchmark batch as a desktop user runs it: the window program started with
# `harrowmint --start --quit-when-done` (offscreen, its message boxes answered on standard error),
# set beside `harrowmint-cli --jobs 0` and the engines' own tools, in the same run, for ZIP, 7z and
# RAR output. The window runs with Jobs=0 (one item per processor core, the default) and, for the
# same batch, with Jobs=1 (one after another); every window's outputs are compared with the command
# line's, entry for entry. Then the window's answers while two workers pack: the wait of queued
# calls measured by the window test that packs two 1 GB items, beside the 100 ms a person notices.
# Usage: window_bench.sh [BUILD_DIR] [WORK_DIR]   (WINDOW_BENCH_RUNS, default 3;
# WINDOW_BENCH_FORMATS, default "zip 7z rar"; WINDOW_BENCH_ITEMS, default 28)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
window=$build/bin/harrowmint
cli=$build/bin/harrowmint-cli
responsiveness=$build/tests/test_gui_MainWindowJobs_test
for program in "$window" "$cli"; do
  [ -x "$program" ] || { echo "missing $program: cmake --build $build" >&2; exit 2; }
done
for tool in zip unzip 7z rar unrar hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (run scripts/setup)" >&2; exit 2; }
done
work=${2:-$(mktemp -d /tmp/hm-window-bench-XXXXXX)}
runs=${WINDOW_BENCH_RUNS:-3}
formats=${WINDOW_BENCH_FORMATS:-zip 7z rar}
items=${WINDOW_BENCH_ITEMS:-28}

source "$here/bench_home.sh"
source "$here/bench_corpus.sh"

# The window reads its format, output folder and items at once from Setting.ini: each window run
# puts its own in place before it starts.
settings() {  # FILE FORMAT_INDEX OUTPUT JOBS
  printf '[Setting]\r\nCompressExt=%s\r\nOutputPath=%s\r\nJobs=%s\r\n' "$2" "$3" "$4" >"$1"
}
# The first-use tips are answered once here, so that no timed run waits for them.
export QT_QPA_PLATFORM=offscreen HARROWMINT_MESSAGES=stderr
"$window" --home "$home" --start --quit-when-done 2>/dev/null || true

for format in $formats; do
  case $format in zip) index=1 ;; 7z) index=2 ;; rar) index=0 ;; esac
  settings "$work/window-jobs0.ini" $index "$work/out-window" 0
  settings "$work/window-jobs1.ini" $index "$work/out-window1" 1
  echo "== $format: $(du -cb corpus/$format/* | tail -1 | cut -f1) bytes in $(ls corpus/$format | wc -l) archives"
  hyperfine --runs "$runs" --export-json "window-$format.json" \
    -n "window $format" --prepare "rm -rf out-window && cp window-jobs0.ini '$home/Data/Setting.ini'" \
    "'$window' --home '$home' --start --quit-when-done $work/corpus/$format/* 2>>window.log" \
    -n "window $format one job" --prepare "rm -rf out-window1 && cp window-jobs1.ini '$home/Data/Setting.ini'" \
    "'$window' --home '$home' --start --quit-when-done $work/corpus/$format/* 2>>window.log" \
    -n "cli $format" --prepare "rm -rf out-cli" \
    "'$cli' --home '$home' --jobs 0 --format $format --output '$work/out-cli' $work/corpus/$format/*" \
    -n "raw $format" --prepare "rm -rf out-raw" \
    "'$here/raw_repack.sh' $format '$work/out-raw' '$home/Data/MustFiles' '$home/Data/Comment.txt' $work/corpus/$format/*"
  # The outputs of each side's last run are still there.
  "$here/same_contents.sh" out-cli out-window && echo "the window made the outputs the command line makes"
  "$here/same_contents.sh" out-window1 out-window && echo "one job at a time made the same outputs"
done

python3 - "$formats" <<'PY'
import json, sys
# Other work on a shared machine only ever adds time, so the fastest run of each side is the
# steadier comparison; the mean is shown beside it.
print("\n== summary (fastest run; mean in brackets)")
for fmt in sys.argv[1].split():
    r = {x["command"]: x for x in json.load(open("window-%s.json" % fmt))["results"]}
    win, one, cli, raw = (r["window " + fmt], r["window %s one job" % fmt], r["cli " + fmt], r["raw " + fmt])
    def ratio(a, b, key):
        return a[key] / b[key]
    print("%-4s window %6.2f s  cli --jobs 0 %6.2f s  raw %6.2f s  window Jobs=1 %6.2f s" %
          (fmt, win["min"], cli["min"], raw["min"], one["min"]))
    print("     window / cli %.2f (%.2f, goal <= 1.10)   window / raw %.2f (%.2f)   Jobs=0 / Jobs=1 %.2f (%.2f)" %
          (ratio(win, cli, "min"), ratio(win, cli, "mean"), ratio(win, raw, "min"), ratio(win, raw, "mean"),
           ratio(win, one, "min"), ratio(win, one, "mean")))
PY

if [ -x "$responsiveness" ]; then
  echo
  echo "== the window while two workers pack 1 GB items (goal: queued calls answered within 100 ms)"
  "$responsiveness" --gtest_filter='*TheWindowAnswersWhileTwoWorkersPackLargeItems' 2>/dev/null | grep '^queued calls'
fi
