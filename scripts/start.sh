#!/usr/bin/env bash
# Starts the windowed program when a display is present; otherwise builds the demo gallery.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/pixolane ]; then
  exec build/pixolane "$@"
fi
if [ -x scripts/demo.sh ]; then
  exec scripts/demo.sh
fi
echo "Built: build/pixolane and build/pixolane-cli"
