#!/usr/bin/env bash
# Watch mode against a batch run of the same archives, in the same run, and uploads that take
# their time:
#   quick  the archives renamed into the watched folder at once (the watcher killed with -9 half
#          way and started again), timed from the first rename to the last journal line, against
#          one `harrowmint-cli --jobs 0` batch over the same archives: the ratio is what watching
#          costs;
#   slow   uploads written piece by piece over WATCH_BENCH_SECONDS_PER_FILE seconds each, all at
#          once, the file open throughout: each must be taken only after its writer closed it, and
#          its delay from the close to its journal line is reported beside the settle time.
# Then every arrival must be in the journal exactly once, in done/, and have one output of its
# own name. Usage: watch_bench.sh [BUILD_DIR] [WORK_DIR]   (WATCH_BENCH_ITEMS, default 100 quick
# archives; WATCH_BENCH_SLOW, default 20 slow ones; WATCH_BENCH_SECONDS_PER_FILE, default 20;
# WATCH_BENCH_SETTLE, default 5)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
cli=$build/bin/harrowmint-cli
[ -x "$cli" ] || { echo "missing $cli: cmake --build $build --target harrowmint-cli" >&2; exit 2; }
for tool in zip python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (run scripts/setup)" >&2; exit 2; }
done
work=${2:-$(mktemp -d /tmp/hm-watch-bench-XXXXXX)}
quick=${WATCH_BENCH_ITEMS:-100}
slow=${WATCH_BENCH_SLOW:-20}
seconds=${WATCH_BENCH_SECONDS_PER_FILE:-20}
settle=${WATCH_BENCH_SETTLE:-5}

source "$here/../app/bench_home.sh"
total=$((quick + slow))
items=$total
corpus_formats=zip
source "$here/../app/bench_corpus.sh"
mapfile -t archives < <(ls corpus/zip/*.zip | sort)
quickArchives=("${archives[@]:0:quick}")
slowArchives=("${archives[@]:quick}")
echo "== $quick archives renamed in, $slow written over ${seconds}s each; settle ${settle}s"

now() { date +%s.%N; }
lines() { [ -f in/.harrowmint/journal.jsonl ] && wc -l <in/.harrowmint/journal.jsonl || echo 0; }
wait_lines() { while [ "$(lines)" -lt "$1" ]; do sleep 0.05; done; }
watcher=
start_watcher() {
  "$cli" --home "$home" --jobs 0 --format zip --settle "$settle" --output "$work/out" --watch "$work/in" \
    >>watch.out 2>>watch.err &
  watcher=$!
  # Its claimed folder comes once it listens to the kernel.
  while [ -z "$(ls in/.harrowmint/claimed 2>/dev/null | grep -- "-$watcher\$" || true)" ]; do sleep 0.05; done
}
trap '[ -n "$watcher" ] && kill -9 "$watcher" 2>/dev/null || true' EXIT

# The other side: one batch over the quick archives.
rm -rf out-batch
t0=$(now)
"$cli" --home "$home" --jobs 0 --format zip --output "$work/out-batch" "${quickArchives[@]}" >/dev/null
batch=$(python3 -c "print(f'{$(now) - $t0:.2f}')")

rm -rf "${work:?}/in" "${work:?}/out" staging watch.out watch.err writers.log arrivals.txt
mkdir -p in staging
cp "${quickArchives[@]}" "${slowArchives[@]}" staging/
for archive in "${quickArchives[@]}" "${slowArchives[@]}"; do basename "$archive"; done >arrivals.txt
start_watcher
t0=$(now)
half=$((quick / 2))
for i in "${!quickArchives[@]}"; do
  mv "staging/$(basename "${quickArchives[$i]}")" in/
  if [ "$i" -eq "$half" ]; then
    wait_lines $((half / 2))
    kill -9 "$watcher"; wait "$watcher" 2>/dev/null || true
    start_watcher
  fi
done
wait_lines "$quick"
watched=$(python3 -c "print(f'{$(now) - $t0:.2f}')")
echo "quick: watch ${watched}s (killed and started again), batch ${batch}s, ratio $(python3 -c "print(f'{$watched / $batch:.2f}')")"

# Slow uploads, all at once: pieces every second, the file open until the last.
for archive in "${slowArchives[@]}"; do
  python3 - "staging/$(basename "$archive")" "in/$(basename "$archive")" "$seconds" >>writers.log <<'PY' &
import sys, time
source, target, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
data = open(source, 'rb').read()
pieces = max(1, int(seconds))
with open(target, 'wb') as f:
    for i in range(pieces):
        f.write(data[i * len(data) // pieces:(i + 1) * len(data) // pieces])
        f.flush()
        time.sleep(seconds / pieces)
print(target.split('/')[-1], time.time(), flush=True)
PY
done
wait_lines "$total"
sleep 1
kill -TERM "$watcher"; wait "$watcher" || { echo "the watcher ended with $?" >&2; exit 1; }
watcher=

python3 - "$work" "$total" "$settle" <<'PY'
import datetime, json, os, sys
work, total, settle = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
journal = [json.loads(l) for l in open(os.path.join(work, 'in/.harrowmint/journal.jsonl'))]
names = sorted(os.path.basename(l['source']) for l in journal)
expected = sorted(open(os.path.join(work, 'arrivals.txt')).read().split())
problems = []
if names != expected: problems.append('journal: %d lines for %d arrivals' % (len(names), len(expected)))
if any(l['state'] != 1 for l in journal): problems.append('failed: ' + ' '.join(l['source'] for l in journal if l['state'] != 1))
if sorted(os.listdir(os.path.join(work, 'in/.harrowmint/done'))) != expected: problems.append('done/ differs')
if sorted(os.listdir(os.path.join(work, 'out'))) != expected: problems.append('outputs differ: ' + ' '.join(sorted(set(os.listdir(os.path.join(work, 'out'))) ^ set(expected))))
closed = dict((l.split()[0], float(l.split()[1])) for l in open(os.path.join(work, 'writers.log')))
delays = sorted(datetime.datetime.fromisoformat(l['time']).timestamp() - closed[os.path.basename(l['source'])]
                for l in journal if os.path.basename(l['source']) in closed)
early = [d for d in delays if d < 0]
if early: problems.append('%d slow uploads taken before their writer closed them' % len(early))
if delays:
    print('slow: close to journal line %.2fs median, %.2fs at most (settle %.1fs)' % (delays[len(delays) // 2], delays[-1], settle))
print('exactly once: ' + ('yes' if not problems else 'NO: ' + '; '.join(problems)))
sys.exit(1 if problems else 0)
PY
