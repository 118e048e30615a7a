#!/usr/bin/env bash
# The preferences file as a user meets it, on a virtual display: closing the program writes
# Kostrel.prs in the application-data folder ($XDG_CONFIG_HOME); with the file's background colour
# edited, the next start shows the surroundings of a small painting in that colour.
# Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"
export XDG_CONFIG_HOME="$work/config"
file="$XDG_CONFIG_HOME/Veltrana Works/$product/Kostrel.prs"
cp "$here/../data/project/painting-12x9-two-layers" "$work/small.ptg"
cd "$work"
green() {
    convert "$shots/$1.png" -fill black +opaque "rgb(32,192,64)" -fill white -opaque "rgb(32,192,64)" \
        -colorspace gray -format '%[fx:mean]' info:
}

start_program "^$product - small" "$program" "$work/small.ptg"
splash_gone "^$product\$"
shot_settled preferences-first || fail "the window kept changing"
first=$(green preferences-first)
awk "BEGIN { exit !($first < 0.01) }" || fail "the default background is green ($first)"
close_program
[ -s "$file" ] || fail "closing wrote no preferences file"

# The background colour is the file's last chunk: its payload is the last four bytes, ARGB
# little-endian. 0xFF20C040 is a green no other part of the window uses.
python3 - "$file" <<'EDIT'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
tag, length = struct.unpack_from("<IQ", data, len(data) - 16)
assert tag == 0xFF0030A1 and length == 4, (hex(tag), length)
struct.pack_into("<I", data, len(data) - 4, 0xFF20C040)
open(sys.argv[1], "wb").write(data)
EDIT

start_program "^$product - small" "$program" "$work/small.ptg"
shot_until preferences-second 'awk "BEGIN { exit !($(green preferences-second) > 0.5) }"' || true
green=$(green preferences-second)
awk "BEGIN { exit !($green > 0.5) }" || fail "the stored background colour is not shown ($green)"
close_program
echo "background colour shown over $green of the window; screenshots in $shots"
