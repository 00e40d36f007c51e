#!/usr/bin/env bash
# Sets up, builds and runs the batch command line: ./run.sh PATH... repacks the given archives,
# folders and files; with no paths it runs the demonstration batch in examples/.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup" >/dev/null
cmake -S "$here" -B "$here/build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target harrowmint-cli >/dev/null
exec "$here/build/bin/harrowmint-cli" "$@"
