#!/usr/bin/env bash
# Runs the utility benchmarks and prints each against the other tool measured in the same run:
#   MatchWildcard("*needle*") over 10 MB  vs  QString::contains / std::string::find
#   the folder walk over 50,000 files     vs  find(1)   (hyperfine)
# In-process figures are CPU times (the machine may be shared); the walk is wall time.
# Usage: bench/util/run-benchmarks.sh [BUILD_DIR]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
bench=$build/bench
cmake --build "$build" --target bench_util_Wildcard_bench bench_util_FolderWalk_bench -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== MatchWildcard over 10 MB"
"$bench/bench_util_Wildcard_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=json >"$work/wildcard.json"
python3 - "$work/wildcard.json" <<'PY'
import json, sys
runs = {b["run_name"]: b["cpu_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
ours = runs["BM_MatchWildcard"]
print(f"  MatchWildcard *needle*             {ours:8.2f} ms")
for name, label in [("BM_QStringContainsCaseInsensitive", "QString::contains, case-insensitive"),
                    ("BM_QStringContainsCaseSensitive", "QString::contains, case-sensitive"),
                    ("BM_StdStringFindUtf8", "std::string::find (UTF-8 copy)")]:
    print(f"  {label:35s}{runs[name]:8.2f} ms   ratio ours/theirs = {ours / runs[name]:.2f}")
PY

echo "== Folder walk over 50,000 files (mask *)"
tree=$work/tree
python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
# 50 folders x 10 sub-folders x 100 files = 50,000 files (and 550 folders).
for a in range(50):
    for b in range(10):
        d = os.path.join(root, f"dir{a:02d}", f"sub{b}")
        os.makedirs(d)
        for f in range(100):
            with open(os.path.join(d, f"file{f:03d}.txt"), "wb") as fh:
                fh.write(b"x" * (f % 7))
PY
"$bench/bench_util_FolderWalk_bench" --walk "$tree" | sed 's/^/  entries reported: /'
hyperfine --warmup 3 --runs 20 --style none --export-json "$work/walk.json" \
  -n find "find '$tree'" \
  -n "find -printf (stats)" "find '$tree' -printf '%s %T@ %m\n'" \
  -n TEasyFileSearch "'$bench/bench_util_FolderWalk_bench' --walk '$tree'" \
  -n "TEasyFileSearch without details" "'$bench/bench_util_FolderWalk_bench' --walk-names '$tree'" >/dev/null
python3 - "$work/walk.json" <<'PY'
import json, sys
r = {x["command"]: x["mean"] * 1000 for x in json.load(open(sys.argv[1]))["results"]}
for ours_name, theirs_name in [("TEasyFileSearch", "find -printf (stats)"), ("TEasyFileSearch", "find"),
                               ("TEasyFileSearch without details", "find")]:
    ours, theirs = r[ours_name], r[theirs_name]
    print(f"  {ours_name:32s}{ours:8.2f} ms  vs  {theirs_name:22s}{theirs:8.2f} ms"
          f"   ratio ours/theirs = {ours / theirs:.2f}")
PY
