#!/usr/bin/env bash
# Sets up, builds and starts Harrowmint.
#   ./run.sh                 with a display: the window, with the demonstration batch of examples/
#                            (a fresh copy) in its list; without one: that batch on the command line
#   ./run.sh --gui [PATH...] always the window, with the paths (or the demonstration batch) listed
#   ./run.sh PATH...         the command line: repacks the given archives, folders and files
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

gui=0
if [ "${1:-}" = "--gui" ]; then
  gui=1
  shift
elif [ $# -eq 0 ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  gui=1
fi
target=harrowmint-cli
[ "$gui" = 1 ] && target=harrowmint

"$here/scripts/setup" >/dev/null
cmake -S "$here" -B "$here/build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target "$target" >/dev/null
program="$here/build/bin/$target"

if [ "$gui" = 0 ] && [ $# -gt 0 ]; then
  exec "$program" "$@"
fi

demo_batch() {
  demo="$(mktemp -d "${TMPDIR:-/tmp}/harrowmint-demo.XXXXXX")"
  cp -R "$here/examples/." "$demo/"
  echo "Demonstration batch: the archive, folder and file of examples/, copied to $demo"
  items=("$demo/GameTool V1.2[www.example.com].zip" "$demo/Photo Album" "$demo/screenshot.png")
}

if [ "$gui" = 1 ]; then
  if [ $# -gt 0 ]; then
    exec "$program" "$@"
  fi
  demo_batch
  echo "Press 开始打包 in the window; the outputs go to the output folder of the settings" \
    "(by default $here/build/bin/OutputPath)."
  exec "$program" "${items[@]}"
fi

demo_batch
status=0
"$program" --output "$demo/output" "${items[@]}" || status=$?
echo
echo "Outputs are in $demo/output"
exit "$status"
