#!/usr/bin/env bash
# Pictures of the standalone page (--standalone) in headless Chromium: the
# grid at 390 (a phone), 768 (a tablet), 1366 and 1920 pixels wide, and the
# viewer open on a phone ("#3" in the address opens picture 3). The gallery is
# made by pixolane-cli from the samples (three carry captions) and a few soft
# ImageMagick pictures.
#
#   scripts/standalone-screenshots.sh [OUT_DIR]   (default docs/screenshots)
#
# Needs chromium and ImageMagick. Environment: BUILD_DIR (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=$(realpath -m "${1:-docs/screenshots}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$out"
cp samples/*.jpg "$work/src/"
seed=0
for photo in "1200x800:Coucher de soleil" "800x1200:Falaise" "1200x900:Marché de Noël" \
            "1600x900:Panorama du lac" "900x900:Rocher" "1200x800:Forêt d'automne"; do
  seed=$((seed + 1))
  /usr/bin/convert -size "${photo%%:*}" -seed "$seed" plasma:fractal -blur 0x12 "$work/src/${photo#*:}.jpg"
done
"$build/pixolane-cli" -d "$work/site" -n vacances -t "Vacances en Bretagne — été 2026" \
  -s 1024x768 --thumbs medium --names --standalone --quiet "$work/src" >/dev/null
page="$work/site/vacances.html"
shot() {  # width height page picture
  flags=(--headless --disable-gpu --hide-scrollbars --virtual-time-budget=3000)
  [ "$(id -u)" = 0 ] && flags+=(--no-sandbox)
  chromium "${flags[@]}" --window-size="$1,$2" --screenshot="$out/$4" "file://$3" 2>/dev/null
}
shot 390 844 "$page" standalone-390.png
shot 768 1024 "$page" standalone-768.png
shot 1366 768 "$page" standalone-1366.png
shot 1920 1080 "$page" standalone-1920.png
shot 390 844 "$page#3" standalone-viewer-390.png
echo "screenshots: $out"
