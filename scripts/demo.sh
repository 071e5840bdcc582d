#!/usr/bin/env bash
# Builds the demo gallery from the sample photos into demo/ and prints the
# page path (the last line pixolane-cli prints).
set -euo pipefail
cd "$(dirname "$0")/.."
CLI=${PIXOLANE_CLI:-build/pixolane-cli}
if [ ! -x "$CLI" ]; then
  echo "demo: $CLI is missing; build it first (./run or cmake --build build)" >&2
  exit 1
fi
mkdir -p demo
exec "$CLI" -d demo -n galerie -t "Démonstration Pixolane" -s 800x600 -q 85 \
  --thumbs medium --names --replace samples
