#!/usr/bin/env bash
# Sets up and builds the project, then runs the whole test suite with ctest on
# the offscreen platform. The last lines are ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${SCRIBO_BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
export QT_QPA_PLATFORM=offscreen
cd "$build_dir"
exec ctest --output-on-failure -j"$(nproc)" --timeout 600
