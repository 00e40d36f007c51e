#!/usr/bin/env bash
# How a batch of many small items grows: harrowmint-cli over N small ZIP archives (a few files
# each, one of them an advertising link the seed rules delete), for each N of SCALE_ITEMS, timed
# with /usr/bin/time -v. Time should grow with N and the peak memory stay nearly flat: a per-item
# leak or a step that looks at every earlier item shows as a per-item time or a peak that rises.
# Usage: scale_items.sh [BUILD_DIR] [WORK_DIR]   (SCALE_ITEMS, default "500 2000"; SCALE_FORMAT,
# default zip; SCALE_JOBS, default 1; SCALE_RUNS, default 2, the fastest run counts)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
cli=$build/bin/harrowmint-cli
[ -x "$cli" ] || { echo "missing $cli: cmake --build $build --target harrowmint-cli" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (run scripts/setup)" >&2; exit 2; }
command -v zip >/dev/null || { echo "missing zip (run scripts/setup)" >&2; exit 2; }
work=${2:-$(mktemp -d /tmp/hm-scale-bench-XXXXXX)}
counts=${SCALE_ITEMS:-500 2000}
format=${SCALE_FORMAT:-zip}
jobs=${SCALE_JOBS:-1}
runs=${SCALE_RUNS:-2}

source "$here/bench_home.sh"
largest=$(tr ' ' '\n' <<<"$counts" | sort -n | tail -1)
if [ ! -f item.zip ]; then
  mkdir -p tree/docs
  python3 -c 'import random,sys; sys.stdout.buffer.write(random.Random(7).randbytes(12000))' >tree/game.dat
  for i in 1 2 3; do seq 1 400 | sed "s/^/line $i /" >"tree/docs/note$i.txt"; done
  echo "[InternetShortcut]" >tree/visit.url
  (cd tree && zip -q -r -6 ../item.zip .)
fi
mkdir -p items
for ((i = 0; i < largest; i++)); do
  name=$(printf 'items/item%05d.zip' "$i")
  [ -f "$name" ] || cp item.zip "$name"
done

printf '\n%7s %9s %9s %12s %12s\n' items "wall s" "CPU s" "ms/item" "peak RSS MB"
for count in $counts; do
  mapfile -t batch < <(ls items/*.zip | head -n "$count")
  best=
  for ((run = 0; run < runs; run++)); do
    rm -rf out
    # Each item line with the moment it came, to see whether late items take longer than early ones.
    /usr/bin/time -v -o time.txt "$cli" --home "$home" --jobs "$jobs" --format "$format" --output "$work/out" \
      "${batch[@]/#/$work/}" | while IFS= read -r line; do printf '%s\t%s\n' "$EPOCHREALTIME" "$line"; done \
      >"lines-$count-$run.txt" || true
    made=$(ls out | wc -l)
    [ "$made" = "$count" ] || { echo "only $made of $count outputs made; see $work/lines-$count-$run.txt" >&2; exit 1; }
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' time.txt)
    cpu=$(awk -F': ' '/User time/ {u = $2} /System time/ {s = $2} END {print u + s}' time.txt)
    rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' time.txt)
    if [ -z "$best" ] || awk "BEGIN {exit !($wall < ${best%% *})}"; then best="$wall $cpu $rss $run"; fi
  done
  read -r wall cpu rss bestRun <<<"$best"
  awk -v n="$count" -v w="$wall" -v c="$cpu" -v r="$rss" \
    'BEGIN {printf "%7d %9.2f %9.2f %12.2f %12.1f\n", n, w, c, 1000 * w / n, r / 1024}'
done
# Within the largest batch's fastest run: ms per item in each quarter of the batch.
python3 - "lines-$largest-$bestRun.txt" <<'PY'
import sys
times = [float(line.split("\t", 1)[0]) for line in open(sys.argv[1]) if line.count("\t") == 4]
quarter = len(times) // 4
spans = ["%.2f" % (1000 * (times[min(q * quarter + quarter, len(times) - 1)] - times[q * quarter]) / quarter)
         for q in range(4)]
print("ms/item by quarter of the %d items: %s" % (len(times), "  ".join(spans)))
PY
echo "(fastest of $runs runs each, --jobs $jobs, --format $format; load now $(cut -d' ' -f1-3 /proc/loadavg))"
