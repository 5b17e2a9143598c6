#!/usr/bin/env bash
# Takes the screenshots of the desktop program's windows into docs/, drawn on a virtual
# display (Xvfb, installed here when missing). The build folder is the first argument
# (default: build); it is configured when it has not been yet.
#
#     scripts/take-screenshots.sh [BUILD_FOLDER] [WINDOW...]
#
# The windows are named as in tools/take_screenshots.cpp; without names all are taken.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
shift || true

"$root/scripts/install-deps.sh" --screenshots
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja
fi
cmake --build "$build" --target take-screenshots --parallel "${JOBS:-$(nproc)}"

# A real X server (not Qt's offscreen platform), so that the windows are drawn with the
# desktop's fonts and style as users see them.
QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  "$build/tools/take-screenshots" "$root/docs" "$@"
