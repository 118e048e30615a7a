#!/usr/bin/env bash
# A tracing image that cannot be read when the new painting is made, on a virtual display: a
# painting saved as orig.ptg and changed by a stroke; Ctrl+N, "n" to the save question, Choose
# Image... picks trace.png through a stand-in file dialog, and the file is deleted before Create.
# One error box comes; after Cancel the painting shows its stroke on its paper under its own
# title, Ctrl+S saves it to orig.ptg without asking, Alt+F4 closes without asking, and orig.ptg
# opens again with the stroke. Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"

use_standin_dialog
: >"$work/zenity.log"

above() { awk "BEGIN { exit !($1 > $2) }"; }
below() { awk "BEGIN { exit !($1 < $2) }"; }
# The band the stroke of drag_stroke paints.
band=500x30+200+385
# The boxes shown so far: SDL's own windows counted as they were closed, and those the stand-in
# dialog program was asked for.
boxes=0
shown_boxes() { echo $((boxes + $(grep -cE -- "--(error|info|warning)" "$work/zenity.log" || true))); }
# close_box TITLE: waits for a box titled TITLE, SDL's window or the stand-in's, and closes SDL's.
close_box() {
    local box=
    wait_until 'grep -qE -- "--title(=| )$1( |\$)" "$work/zenity.log" ||
        { box=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$box" ]; }' ||
        fail "no box titled $1"
    if [ -n "$box" ]; then
        xwd -root -silent | convert xwd:- "$shots/tracing-failure-box.png"
        xdotool windowfocus --sync "$box" 2>/dev/null || true
        xdotool key Return
        wait_gone "^$1\$" || fail "Return left the box up"
        boxes=$((boxes + 1))
    fi
}

start_program "^$product - Untitled\$" "$program"
splash_gone "^$product\$"
xdotool mousemove 1000 740
shot_settled tracing-failure-blank || fail "the window kept changing"
echo "$work/orig.ptg" >"$work/answer"
press_until ctrl+s 'xdotool search --name "^$product - orig\$" >/dev/null 2>&1' || fail "Ctrl+S did not save orig.ptg"
cp "$work/orig.ptg" "$work/blank.ptg"
drag_stroke
xdotool mousemove 1000 740
shot_until tracing-failure-stroke 'above "$(changed tracing-failure-blank tracing-failure-stroke $band)" 0.05' ||
    fail "the stroke does not show"
shot_settled tracing-failure-stroke || fail "the window kept changing after the stroke"

# Ctrl+N asks about the stroke; "n" brings up the pane, whose size panel stands at the top middle.
key_until tracing-failure-prompt ctrl+n 'above "$(changed tracing-failure-stroke tracing-failure-prompt 1024x768+0+0)" 0' ||
    fail "Ctrl+N showed nothing"
shot_settled tracing-failure-prompt || fail "the window kept changing after Ctrl+N"
xdotool key n
shot_until tracing-failure-pane '[ "$(convert "$shots/tracing-failure-pane.png" -crop 1x1+330+60 -format "%[hex:u.p{0,0}]" info: | cut -c1-6)" = 404064 ]' ||
    fail "no new-painting pane"
shot_settled tracing-failure-pane || fail "the window kept changing as the pane came"
# Choose Image... names trace.png beside the button.
convert -size 300x200 gradient:red-blue "$work/trace.png"
echo "$work/trace.png" >"$work/answer"
xdotool mousemove 430 153 click 1
xdotool mousemove 1000 740
shot_until tracing-failure-chosen 'above "$(changed tracing-failure-pane tracing-failure-chosen 200x20+515+143)" 0.01' ||
    fail "Choose Image... did not name the image"
shot_settled tracing-failure-chosen || fail "the window kept changing after the choice"

# The image goes before Create: one box, and the pane stays until Cancel.
rm "$work/trace.png"
: >"$work/zenity.log"
xdotool mousemove 608 740 click 1
close_box "File Error"
xdotool mousemove 415 740 click 1
xdotool mousemove 1000 740
shot_until tracing-failure-cancelled 'below "$(changed tracing-failure-stroke tracing-failure-cancelled 1024x768+0+0)" 0.01' ||
    fail "after Cancel the painting does not show as it was"
[ "$(shown_boxes)" -eq 1 ] || fail "$(shown_boxes) boxes came, not one: $(cat "$work/zenity.log")"
xdotool search --name "^$product - orig\$" >/dev/null 2>&1 || fail "the painting is no longer titled orig"

# Ctrl+S writes the stroke to orig.ptg without asking; Alt+F4 then closes without asking.
echo "$work/elsewhere.ptg" >"$work/answer"
: >"$work/zenity.log"
press_until ctrl+s '! cmp -s "$work/orig.ptg" "$work/blank.ptg"' || fail "Ctrl+S did not save to orig.ptg"
grep -q -- "--file-selection" "$work/zenity.log" && fail "Ctrl+S asked for a file: $(cat "$work/zenity.log")"
[ ! -e "$work/elsewhere.ptg" ] || fail "Ctrl+S saved elsewhere"
close_program

start_program "^$product - orig\$" "$program" "$work/orig.ptg"
splash_gone "^$product\$"
xdotool mousemove 1000 740
shot_until tracing-failure-reopened 'below "$(changed tracing-failure-stroke tracing-failure-reopened $band)" 0.01' ||
    fail "orig.ptg opens without the stroke"
close_program
echo "tracing failure end to end: passed"
