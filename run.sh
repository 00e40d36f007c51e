#!/usr/bin/env bash
# Sets up, builds and runs the batch command line: ./run.sh PATH... repacks the given archives,
# folders and files; with no paths it runs the demonstration batch in examples/ on a fresh copy.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup" >/dev/null
cmake -S "$here" -B "$here/build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target harrowmint-cli >/dev/null
cli="$here/build/bin/harrowmint-cli"

if [ $# -gt 0 ]; then
  exec "$cli" "$@"
fi

demo="$(mktemp -d "${TMPDIR:-/tmp}/harrowmint-demo.XXXXXX")"
cp -R "$here/examples/." "$demo/"
echo "Demonstration batch: the archive, folder and file of examples/, copied to $demo"
status=0
"$cli" --output "$demo/output" \
  "$demo/GameTool V1.2[www.example.com].zip" "$demo/Photo Album" "$demo/screenshot.png" || status=$?
echo
echo "Outputs are in $demo/output"
exit "$status"
