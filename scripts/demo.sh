#!/usr/bin/env bash
# Builds the demo gallery from the sample photos into demo/, with its
# standalone page, and prints the gallery page's path (the last line
# pixolane-cli prints), then the standalone page's file:// address, which any
# browser opens.
set -euo pipefail
cd "$(dirname "$0")/.."
CLI=${PIXOLANE_CLI:-build/pixolane-cli}
if [ ! -x "$CLI" ]; then
  echo "demo: $CLI is missing; build it first (./run or cmake --build build)" >&2
  exit 1
fi
mkdir -p demo
"$CLI" -d demo -n galerie -t "Démonstration Pixolane" -s 800x600 -q 85 \
  --thumbs medium --names --standalone --replace samples

# The address of the page, percent-encoded byte by byte as a URL needs.
page="$(cd demo && pwd -P)/galerie.html"
url="file://"
LC_ALL=C
for ((i = 0; i < ${#page}; i++)); do
  c=${page:i:1}
  case "$c" in
    [a-zA-Z0-9/._~-]) url+="$c" ;;
    *) url+=$(printf '%%%02X' "'$c") ;;
  esac
done
echo "Page autonome : $url"
