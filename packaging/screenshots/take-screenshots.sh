#!/bin/sh
# Takes the screenshots of the AppStream data and of the user's guide from the
# real windows under Xvfb, so they show the program as it is.
#   packaging/screenshots/take-screenshots.sh [BUILD_DIR]   (default build-release)
# Writes packaging/screenshots/*.png; the guide's pages use the ones they name.
set -eu
cd "$(dirname "$0")/../.."
top=$(pwd)
build=${1:-$top/build-release}
[ -f "$build/CMakeCache.txt" ] || cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARON_TESTS=OFF >/dev/null
cmake --build "$build" --target tessaron_screenshots
out="$top/packaging/screenshots"
# A plain X server without a desktop: the program's own icons, a fixed font.
ASAN_OPTIONS=detect_leaks=0 LANG=C.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/packaging/tessaron_screenshots" "$out"
if [ -d "$top/doc/help" ]; then
    for lang in de en; do
        [ -d "$top/doc/help/$lang" ] || continue
        mkdir -p "$top/doc/help/$lang/images"
        for f in "$out"/*-"$lang".png; do
            cp "$f" "$top/doc/help/$lang/images/$(basename "$f" "-$lang.png").png"
        done
    done
fi
