#!/usr/bin/env bash
# Pictures of the windows, made by the window tests' screenshot case on a
# virtual display (xvfb-run): the main window with pictures added
# (screenshot.png), the three tabs (list.png, pictures.png, gallery.png), the
# preview mode (preview.png), the picture and progress windows.
#
#   scripts/screenshots.sh [OUT_DIR]       (default docs/screenshots)
#
# Environment: BUILD_DIR (default build), QT_SCALE_FACTOR (e.g. 2),
# PIXOLANE_SCREENSHOT_FONT_PT (a larger font, e.g. 13).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=$(realpath -m "${1:-docs/screenshots}")
if [ ! -x "$build/tests/ui/test_ui" ]; then
  echo "screenshots: $build/tests/ui/test_ui is missing; build it first (./test)" >&2
  exit 1
fi
flags="--disable-gpu"
[ "$(id -u)" = 0 ] && flags="--no-sandbox $flags"
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:-$flags}"
export PIXOLANE_SCREENSHOT_DIR="$out" PIXOLANE_SCREENSHOT_ALL=1 QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 2560x1600x24" "$build/tests/ui/test_ui" --gtest_filter='Screenshot.*'
echo "screenshots: $out"
