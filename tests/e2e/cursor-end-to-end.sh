#!/usr/bin/env bash
# Moves the pointer over the test program's painting view on a virtual display with xdotool: the
# crayon's outline ring appears around the pointer and not at its middle; at the smallest zoom
# the plain cursor (an orange square) shows at the pointer instead, and zooming back brings the
# ring again. Usage: PROGRAM SHOT_FOLDER.
set -euo pipefail

source "$(dirname "$0")/xvfb-session.sh"
program=$2
shots=${3:-$(mktemp -d)}
mkdir -p "$shots"
start_program '^Cursor$' "$program"

# A pixel's colour as r,g,b in 0..255.
pixel() { convert "$shots/$1.png" -format "%[fx:int(255*p{$2}.r)],%[fx:int(255*p{$2}.g)],%[fx:int(255*p{$2}.b)]" info:; }

# The pointer over the backdrop, away from the view, then over the painting's middle (window
# point (180, 130)).
xdotool mousemove --window "$window" 10 10
shot_settled away || fail "the window kept changing"
xdotool mousemove --window "$window" 180 130
shot_until outline 'awk "BEGIN { exit !($(changed away outline 100x100+130+80) > 0.01) }"' || true
ring=$(changed away outline 100x100+130+80)
middle=$(changed away outline 5x5+178+128)
awk "BEGIN { exit !($ring > 0.01) }" || fail "no outline around the pointer (difference $ring)"
awk "BEGIN { exit !($middle < 0.001) }" || fail "the outline covers the pointer's middle ($middle)"

xdotool key z
xdotool mousemove --window "$window" 181 130
shot_until smallest '[ "$(pixel smallest 181,130)" = "255,128,0" ]' || true
plain=$(pixel smallest 181,130)
[ "$plain" = "255,128,0" ] || fail "no plain cursor at the pointer at the smallest zoom (pixel $plain)"

xdotool key x
xdotool mousemove --window "$window" 180 130
shot_until back 'awk "BEGIN { exit !($(changed smallest back 100x100+130+80) > 0.01) }" &&
    [ "$(pixel back 180,130)" != "255,128,0" ]' || true
again=$(changed smallest back 100x100+130+80)
awk "BEGIN { exit !($again > 0.01) }" || fail "the outline did not come back ($again)"
[ "$(pixel back 180,130)" != "255,128,0" ] || fail "the plain cursor stayed"

close_program
echo "outline difference $ring (middle $middle), plain cursor $plain, back $again"
