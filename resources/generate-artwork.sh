#!/bin/bash
# Redraws every picture in this folder from generate-artwork.cpp.
# Needs g++, pkg-config, the Qt 6 Gui development files and ImageMagick's convert.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# shellcheck disable=SC2046 # pkg-config prints several flags on purpose
g++ -std=c++17 -O2 -fPIC -Wall -Wextra -Wshadow -DQT_NO_CAST_FROM_ASCII -DQT_NO_CAST_TO_ASCII \
    -o "$work/generate-artwork" "$here/generate-artwork.cpp" $(pkg-config --cflags --libs Qt6Gui)

mkdir "$work/frames"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work}" "$work/generate-artwork" "$here" "$work/frames"

# Qt cannot write GIF: ImageMagick joins the frames, 0.15 s each, looping forever.
convert -delay 15 -loop 0 -dispose Background "$work"/frames/frame-*.png "$here/about-console.gif"
