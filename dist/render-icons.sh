#!/bin/bash
# Redraws the program icon's sizes in resources/icons/, compiled in under ":/icons/" and installed
# in the hicolor icon theme. 16, 32 and 48 pixels are the hand-tuned drawings that
# resources/generate-artwork.sh makes; the larger sizes come from the scalable icon beside this
# script. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
resources="$here/../resources"
mkdir -p "$resources/icons"

cp "$resources/icon-16.png" "$resources/icons/zarvello-16.png"
cp "$resources/icon.png" "$resources/icons/zarvello-32.png"
cp "$resources/icon-48.png" "$resources/icons/zarvello-48.png"
for size in 64 128 256; do
    rsvg-convert --width "$size" --height "$size" "$here/org.example.Zarvello.svg" \
        --output "$resources/icons/zarvello-$size.png"
done
