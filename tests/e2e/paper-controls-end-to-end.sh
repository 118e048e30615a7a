#!/usr/bin/env bash
# The paper controls as a user meets them, on a virtual display: the navigation pane's menu opens
# them over a blurred screen; a right press on a canvas preset of the presets folder beside the
# program opens the preset's menu; a click on the preset, a grain from the grain picker and Apply
# give the layer that preset's warm paper, which then covers the painting and the navigation
# pane's thumbnail. Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"
# The program runs from a copy of its folder, so that its presets folder is the script's own.
mkdir -p "$work/program"
cp "$program" "$work/program/"
cp -r "$(dirname "$program")/Resources" "$(dirname "$program")/Canvases" "$work/program/"
program="$work/program/$(basename "$program")"
cd "$work"

# A canvas preset in the presets folder beside the program: a warm paper on the watercolour grain.
mkdir -p "$work/program/Presets"
python3 - "$work/program/Presets/Warm.kcp" <<'PY'
import struct, sys
def line(text): return (text + "\r\n").encode("utf-16-le")
def chunk(tag, payload): return struct.pack("<IQ", tag, len(payload)) + payload
records = [chunk(0, struct.pack("<i", 1)), chunk(1, line("Warm")), chunk(2, line("PP_Watercolour")),
           chunk(3, struct.pack("<I", 0xFFE8B070)), chunk(4, struct.pack("<i", 255))]
records += [chunk(tag, struct.pack("<f", value)) for tag, value in ((5, 0.5), (6, 0.0), (7, 0.8), (8, 0.3), (9, 0.0))]
open(sys.argv[1], "wb").write(line("Kostrel Canvas Preset") + b"".join(records))
PY

above() { awk "BEGIN { exit !($1 > $2) }"; }
pixel() { convert "$shots/$1.png" -crop "1x1+$2+$3" -format '%[hex:u.p{0,0}]' info: | cut -c1-6; }
# The mean of a channel over an area of a screenshot, 0..255.
mean() { convert "$shots/$1.png" -crop "$2" -channel "$3" -separate -format '%[fx:int(255*mean)]' info:; }
# The pointer rests a moment before the click, so that the program sees it there.
click() { xdotool mousemove "$1" "$2"; sleep 0.2; xdotool click 1; }
# step NAME BEFORE: screenshots NAME until it differs from BEFORE, then until the window settles,
# so that the next click does not come while a pane fades in or out.
step() {
    local name=$1 before=$2
    shot_until "$name" '[ "$(changed "$before" "$name")" != 0 ]' || fail "nothing changed after $before"
    shot_settled "$name" || fail "the window kept changing after $before"
}
# warm SHOT [AREA]: the area (the middle of the painting unless given) shows the warm paper.
warm() {
    red=$(mean "$1" "${2:-400x200+300+250}" R)
    blue=$(mean "$1" "${2:-400x200+300+250}" B)
    [ "$red" -gt 200 ] && [ "$blue" -lt 150 ]
}

start_program "^$product - Untitled\$" "$program"
splash_gone "^$product\$"
xdotool mousemove 900 60
shot_settled controls-start || fail "the window kept changing"
click 554 756
step controls-menu controls-start
click 640 710
xdotool mousemove 900 60
shot_until controls-shown '[ "$(pixel controls-shown 310 150)" = 404064 ]' || true
shot_settled controls-shown || fail "the window kept changing as the paper controls came"
# The navigation pane's menu ("More...") holds "Paper Settings...", which opens the paper controls.
# The preset panel stands at the top of the stacked panels with its first cell at its corner.
[ "$(pixel controls-shown 310 150)" = 404064 ] || fail "no paper controls after the menu's Paper Settings"
# A right press on the warm preset opens its menu ("Delete Preset") at the pointer, over the bare
# panel right of the cell; Escape closes it again.
menu_area=60x25+445+158
xdotool mousemove 377 150
sleep 0.2
xdotool click 3
shot_until controls-preset-menu 'above "$(changed controls-shown controls-preset-menu $menu_area)" 0.05' ||
    fail "a right press on the preset opened no menu"
xdotool key Escape
shot_until controls-menu-closed '[ "$(changed controls-shown controls-menu-closed $menu_area)" = 0 ]' ||
    fail "Escape left the preset's menu open"
# The warm preset, then the texture button's grain picker and its watercolour grain, then Apply.
click 377 150
step controls-preset controls-shown
click 426 519
step controls-picker controls-preset
click 736 580
step controls-grain controls-picker
click 622 639
xdotool mousemove 900 60
shot_until controls-applied 'warm controls-applied' || true
# The warm preset's paper (#E8B070) now covers the painting.
warm controls-applied || fail "the applied paper is not warm (red $red, blue $blue)"
# The navigation pane's thumbnail shows the new paper too.
warm controls-applied 60x40+448+710 || fail "the navigation thumbnail kept the old paper (red $red, blue $blue)"
# The paper change made the painting modified: the save prompt's "n" closes without saving.
close_program_unsaved
echo "paper controls end to end: passed (red $red, blue $blue)"
