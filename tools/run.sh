#!/usr/bin/env bash
# Sets up and builds the project, then starts the application. Any arguments
# (for example a design file) are passed to the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${SCRIBO_BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting under a virtual X server (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$build_dir/bin/scribo" "$@"
fi
exec "$build_dir/bin/scribo" "$@"
