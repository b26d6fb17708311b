#!/usr/bin/env bash
# Takes the help file's pictures of Marrowin's windows: runs take_pictures.exe under Wine, in a
# new prefix of its own, on a virtual display of its own at 100 %, and turns its bitmaps into
# PNGs. The prefix is removed afterwards (it takes some 700 MB).
#
#   take_pictures.sh <take_pictures.exe> <picture folder> <Wine prefix>
#
# A prefix that does not come up whole, or windows that are slow to come on a loaded machine,
# get a second run in a new prefix before it gives up.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
program="$1"
pictures="$2"
prefix="$3"
log="$(dirname "$pictures")/take_pictures.log"

mkdir -p "$pictures"
rm -f "$pictures"/*.bmp "$pictures"/*.png
VIRTUAL_SCREEN=1280x1024x24
ensure_display --virtual
trap 'wineserver -k 2>/dev/null || true; stop_virtual_display; rm -rf "$prefix"' EXIT

# A new prefix at 100 %; the desktop's own processes start with the program, on its display.
prepare() {
    rm -rf "$prefix"
    use_wine_prefix "$prefix" >/dev/null && set_display_scale 100 && wineserver -w
}
take() {
    wine "$program" "Z:${pictures//\//\\}" >"$log" 2>&1
}
# A new prefix now and then does not come up whole, and windows are slow to come on a loaded
# machine: both get a second try, in a prefix made again.
if ! { prepare && take; }; then
    echo "The first attempt at the pictures failed; trying once more." >&2
    wineserver -k 2>/dev/null || true
    { prepare && take; } || {
        cat "$log" >&2
        exit 1
    }
fi
for bitmap in "$pictures"/*.bmp; do
    convert "$bitmap" "${bitmap%.bmp}.png"
    rm "$bitmap"
done
