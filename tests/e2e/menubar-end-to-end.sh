#!/usr/bin/env bash
# The menu bar as a user meets it, on a virtual display: it stands at the top of the window,
# centred; a tap on its undo button takes a stroke back at once, and a click inside the curve of
# the undo or redo arrow takes its step as one on the arrow does; a click on the File title opens
# its menu, and Save As there writes the painting where the stand-in file dialog says; a click on
# the zoom display, "250" and Enter zoom the view in and the display shows the new percentage; the
# About entry of the Help menu opens the about pane, which Escape closes; a click on the bar's
# handle made while the program is stopped, the pointer then on the painting, tucks the bar up.
# Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"

use_standin_dialog

# The mean brightness of a window area, 0..1.
brightness() { convert "$shots/$1.png" -crop "$2" -colorspace gray -format '%[fx:mean]' info:; }
above() { awk "BEGIN { exit !($1 > $2) }"; }
# hollow NAME X Y: the screenshot shows the bar at X,Y and a lit arrow's stroke within 6 pixels
# above and below it in its column: a point inside the arrow's curve that the arrow leaves clear.
lightest() { convert "$shots/$1.png" -crop "$2" -colorspace gray -format '%[fx:maxima]' info:; }
hollow() {
    above 0.4 "$(brightness "$1" 1x1+$2+$3)" &&
        above "$(lightest "$1" 1x6+$2+$(($3 - 6)))" 0.6 && above "$(lightest "$1" 1x6+$2+$(($3 + 1)))" 0.6
}
# entry X Y MENU NAME: moves the pointer onto a menu entry, waits until the entry lights (the
# screenshot NAME differs from the open menu's, MENU, around the pointer) and clicks it.
entry() {
    local x=$1 y=$2 menu=$3 name=$4
    xdotool mousemove "$x" "$y"
    shot_until "$name" 'above "$(changed "$menu" "$name" 160x16+$((x - 80))+$((y - 8)))" 0' ||
        fail "the menu entry at $x, $y did not light under the pointer"
    xdotool click 1
}

# The bar of four titles is 588 pixels wide, centred on the 1024-pixel window and 6 pixels above
# its top: the titles stand at 230, 288, 346 and 404, each 56 wide, from y 4 to 28; the zoom
# display from x 589 to 639.
start_program "^$product - Untitled\$" "$program"
splash_gone "^$product\$"
xdotool mousemove 900 650
shot_until menubar-start 'above 0.4 "$(brightness menubar-start 560x24+232+4)"' || true
shot_settled menubar-start || fail "the window kept changing"
above 0.4 "$(brightness menubar-start 560x24+232+4)" || fail "no dark bar at the top centre of the window"
above "$(brightness menubar-start 150x24+30+4)" 0.6 || fail "the bar reaches the window's left part"
above "$(brightness menubar-start 150x24+850+4)" 0.6 || fail "the bar reaches the window's right part"

# A stroke, then a tap on the undo button's arrow the moment the pointer gets there, with no rest
# on it first, as a pen tap gives it: the painting is as before the stroke.
drag_stroke
xdotool mousemove 680 14 click 1
shot_until menubar-undone 'above 0.002 "$(changed menubar-start menubar-undone 500x30+200+385)"' ||
    fail "a tap on the undo button left the stroke"
# Ctrl+Y shows that there was a stroke to take back; Ctrl+Z leaves the painting blank again.
key_until menubar-redone ctrl+y 'above "$(changed menubar-start menubar-redone 500x30+200+385)" 0.05' ||
    fail "the drag painted nothing"
key_until menubar-blank ctrl+z 'above 0.002 "$(changed menubar-start menubar-blank 500x30+200+385)"' ||
    fail "Ctrl+Z left the stroke"

# A new stroke, then a click inside the undo arrow's curve, where the arrow leaves the bar clear,
# and one inside the redo arrow's. The history group puts the arrows' 20 x 20 pictures at 672,6
# and 694,6 of this window; the undo arrow's strokes run along its rows 8 and 16 and bend round
# 12,12, so its pixel 11,12 (683,18) lies in the curve's hollow, and the redo arrow's mirror
# pixel 8,12 (702,18) in its own. Each shot shows the point clear between the arrow's strokes.
drag_stroke
shot_until menubar-stroke-again 'above "$(changed menubar-start menubar-stroke-again 500x30+200+385)" 0.05' ||
    fail "the second drag painted nothing"
# Each arrow lights once there is a step for it to take.
shot_until menubar-undo-lit 'hollow menubar-undo-lit 683 18' || fail "683,18 is not inside the lit undo arrow's curve"
xdotool mousemove 683 18 click 1
shot_until menubar-hollow-undone 'above 0.002 "$(changed menubar-start menubar-hollow-undone 500x30+200+385)"' ||
    fail "a click inside the undo arrow's curve left the stroke"
shot_until menubar-redo-lit 'hollow menubar-redo-lit 702 18' || fail "702,18 is not inside the lit redo arrow's curve"
xdotool mousemove 702 18 click 1
shot_until menubar-hollow-redone 'above "$(changed menubar-start menubar-hollow-redone 500x30+200+385)" 0.05' ||
    fail "a click inside the redo arrow's curve left the painting blank"
key_until menubar-blank-again ctrl+z 'above 0.002 "$(changed menubar-start menubar-blank-again 500x30+200+385)"' ||
    fail "Ctrl+Z left the second stroke"

# File, then Save As (the fifth row: three entries and a separator above it).
xdotool mousemove 258 16 click 1
shot_until menubar-file 'above "$(changed menubar-start menubar-file 240x200+232+40)" 0.05' ||
    fail "the File title opened no menu"
shot_settled menubar-file || fail "the window kept changing as the menu opened"
echo "$work/menubar.ptg" >"$work/answer"
entry 300 136 menubar-file menubar-save-as
wait_until '[ -s "$work/menubar.ptg" ]' || fail "Save As wrote no painting"
grep -q -- "--save" "$work/zenity.log" || fail "Save As asked no save dialog"
wait_until 'xdotool search --onlyvisible --name "^$product - menubar" >/dev/null 2>&1' || fail "the title does not name the saved painting"
xdotool mousemove 900 650
shot_until menubar-saved 'above 0.01 "$(changed menubar-start menubar-saved 1024x700+0+60)"' || fail "the File menu stayed up"
shot_settled menubar-saved || fail "the window kept changing after the save"

# The zoom display takes a typed percentage once a click has turned it into a field. The pointer
# rests on it a moment before the click; a click that comes before the program is ready for it is
# not taken: it goes again while no field shows.
field=
for _ in $(seq 3); do
    xdotool mousemove 614 16
    sleep 0.2
    xdotool click 1
    patience=5 shot_until menubar-zoom-field 'above "$(changed menubar-saved menubar-zoom-field 50x20+589+6)" 0.02' &&
        field=1 && break
done
[ -n "$field" ] || fail "the click on the zoom display showed no field"
xdotool type 250
xdotool key Return
xdotool mousemove 900 650
shot_until menubar-zoomed 'above "$(changed menubar-saved menubar-zoomed 1024x700+0+60)" 0.01 &&
    above "$(changed menubar-saved menubar-zoomed 50x20+589+6)" 0.02' || true
# The zoomed view is compared with what the Help menu and the about pane leave: it settles first.
shot_settled menubar-zoomed || fail "the window kept changing after the zoom"
above "$(changed menubar-saved menubar-zoomed 1024x700+0+60)" 0.01 || fail "the typed zoom left the view as it was"
above "$(changed menubar-saved menubar-zoomed 50x20+589+6)" 0.02 || fail "the zoom display kept its text"

# Help, then About (the sixth row: five entries and a separator above it); Escape closes it.
xdotool mousemove 432 16 click 1
shot_until menubar-help 'above "$(changed menubar-zoomed menubar-help 200x140+420+40)" 0.02' ||
    fail "the Help title opened no menu"
shot_settled menubar-help || fail "the window kept changing as the menu opened"
entry 480 160 menubar-help menubar-about-entry
xdotool mousemove 900 650
shot_until menubar-about 'above "$(changed menubar-zoomed menubar-about 400x400+560+180)" 0.05' ||
    fail "the About entry showed no pane"
xdotool key Escape
shot_until menubar-after-about 'above 0.01 "$(changed menubar-zoomed menubar-after-about 1024x768+0+0)"' ||
    fail "Escape left the about pane up"

# The handle, in the middle of the bar's bottom edge: clicked while the program is stopped, the
# pointer then on the painting before it goes on, it counts where the button came up. The bar
# tucks up and the painting shows under the titles' row.
xdotool mousemove 900 650
kill -STOP "$pid"
xdotool mousemove 512 28 click 1
xdotool mousemove 900 650
sleep 0.3
kill -CONT "$pid"
shot_until menubar-tucked 'above "$(brightness menubar-tucked 200x8+240+16)" 0.6' ||
    fail "a click on the handle made while the program was stopped did not tuck the bar"

close_program
echo "menu bar: end to end passed"
