#!/usr/bin/env bash
# The new-painting pane as a user meets it, on a virtual display: over a painted stroke, Ctrl+N
# asks about the unsaved stroke, and "n" brings up the pane over a blurred picture of the
# screen; a width and a height typed into its fields, a green dragged out of the paper colour
# button's floating colour, Save Preset... (a preset saved among the presets), then Enter make a
# green painting of that size, which Ctrl+S saves through a stand-in file dialog that starts in
# the user's documents, not among the presets, and a second start reads back at that size and
# colour. The preset panel shows the presets shipped beside the program and one more, and not the
# named pipe beside them: its second page shows that one alone, with no picture in its empty
# cells, and none at all once it is deleted.
# Usage: PROGRAM PRESET_WRITER [SHOT_FOLDER], the preset writer being the build's tool that writes
# the shipped presets.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${4:-}"
product="Kostrel 2"
# The program runs from a copy of its folder, so that its presets folder is the script's own: the
# shipped presets, written afresh (the program's own folder also holds those its user saved), and
# a seventh, which the second page shows.
mkdir -p "$work/program"
cp "$program" "$work/program/"
cp -r "$(dirname "$program")/Resources" "$(dirname "$program")/Canvases" "$work/program/"
"$3" "$work/program/Resources" "$work/program/Presets" || fail "the shipped presets were not written"
[ "$(find "$work/program/Presets" -type f | wc -l)" -eq 6 ] || fail "not six shipped presets"
cp "$work/program/Presets/Kraft.kcp" "$work/program/Presets/Seventh.kcp"
# A named pipe among the presets is no preset: it is not listed, and nothing waits on it.
mkfifo "$work/program/Presets/Pipe.kcp"
program="$work/program/$(basename "$program")"

use_standin_dialog

# The colour of a pixel of a screenshot as "red green blue".
rgb() { convert "$shots/$1.png" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:; }
# Whether a pixel is green: its green well above its red and blue.
green() {
    read -r red green blue <<<"$(rgb "$1" "$2" "$3")"
    [ "$green" -gt $((red + 40)) ] && [ "$green" -gt $((blue + 40)) ]
}
# The standard deviation of a window area of a screenshot, 0..1.
spread() { convert "$shots/$1.png" -crop "$2" -colorspace gray -format '%[fx:standard_deviation]' info:; }
below() { awk "BEGIN { exit !($1 < $2) }"; }
# The preset cells' thumbnails, 120 x 82 each, two rows of three, by their top left corners.
cells="317,213 447,213 577,213 317,321 447,321 577,321"
# The green painting's extent on the middle row and column of a screenshot, between the panes at
# the window's edges (the tool panes on the left, the swatches on the right, the menu bar at the
# top and the navigation pane's thumbnail at the bottom), as "width height".
paper_size() {
    python3 - "$shots/$1.png" <<'PY'
import subprocess, sys
def row(geometry):
    text = subprocess.run(["convert", sys.argv[1], "-crop", geometry, "-depth", "8", "txt:-"],
                          capture_output=True, text=True, check=True).stdout
    count = 0
    for line in text.splitlines()[1:]:
        red, green, blue = (int(v) for v in line.split("(")[1].split(")")[0].split(",")[:3])
        count += green > red + 40 and green > blue + 40
    return count
print(row("800x1+112+384"), row("1x600+512+40"))
PY
}

# The user's documents are the home folder, which has no documents folder of its own.
mkdir -p "$work/home"
start_program "^$product - Untitled\$" env HOME="$work/home" "$program"
# The splash goes 2.5 seconds after the window came.
splash_gone "^$product\$"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool mousemove 1000 740
shot_settled newfile-start || fail "the window kept changing"
# A stroke left of where the panels will stand and right of the tool settings at the left edge,
# at a hand's pace.
xdotool mousemove 130 400 mousedown 1
for x in $(seq 130 10 260); do
    xdotool mousemove "$x" $((400 + (x - 130) / 4))
    sleep 0.02
done
xdotool mouseup 1
xdotool mousemove 1000 740
shot_until newfile-stroke '[ "$(spread newfile-stroke 260x120+20+370)" != "$(spread newfile-start 260x120+20+370)" ]' ||
    fail "the stroke does not show"
shot_settled newfile-stroke || fail "the window kept changing after the stroke"

# Ctrl+N asks about the stroke first: "n" goes once the prompt shows. Ctrl+N goes again while
# nothing shows.
key_until newfile-prompt ctrl+n '[ "$(spread newfile-prompt 1024x768+0+0)" != "$(spread newfile-stroke 1024x768+0+0)" ]' ||
    fail "Ctrl+N showed nothing"
shot_settled newfile-prompt || fail "the window kept changing after Ctrl+N"
xdotool key n
# preset_cells SHOT: whether each preset cell shows a thumbnail, a paper under a crayon stroke, and
# a name below it; the first cell that does not is printed with what it lacks.
preset_cells() {
    local cell left top
    for cell in $cells; do
        IFS=, read -r left top <<<"$cell"
        below 0.01 "$(spread "$1" "100x60+$((left + 10))+$((top + 10))")" || { echo "$cell shows no thumbnail"; return 1; }
        below 0.05 "$(spread "$1" "100x14+$((left + 10))+$((top + 85))")" || { echo "$cell shows no name"; return 1; }
    done
}
shot_until newfile-pane '[ "$(convert "$shots/newfile-pane.png" -crop 1x1+330+60 -format "%[hex:u.p{0,0}]" info: | cut -c1-6)" = 404064 ] &&
    below "$(spread newfile-pane 260x120+20+370)" "$(spread newfile-stroke 260x120+20+370)" &&
    preset_cells newfile-pane >/dev/null' || true
# The panels stand in the middle; beside them the stroke is blurred to a soft haze.
panel=$(convert "$shots/newfile-pane.png" -crop 1x1+330+60 -format '%[hex:u.p{0,0}]' info:)
[ "${panel:0:6}" = 404064 ] || fail "no size panel in the middle of the screen (found #$panel)"
before=$(spread newfile-stroke 260x120+20+370)
after=$(spread newfile-pane 260x120+20+370)
below "$after" "$before" || fail "the screen beside the pane is not blurred ($before before, $after after)"
bare=$(preset_cells newfile-pane) || fail "the preset cell at $bare"

# The width field has the focus with its text selected: typing replaces it.
xdotool type 640
xdotool key Tab
xdotool type 480
# A press on the paper colour button opens the floating colour over it; the release picks. The
# press is held and the pointer moved at a hand's pace, as the floating colour needs.
xdotool mousemove 350 620 mousedown 1
sleep 0.8
xdotool mousemove 330 600
sleep 0.3
xdotool mousemove 300 560
sleep 0.5
xdotool mouseup 1
# Enter goes once the floating colour has gone and the window settled.
shot_until newfile-colour 'green newfile-colour 350 620' || true
shot_settled newfile-colour || fail "the window kept changing after the colour was picked"
green newfile-colour 350 620 || fail "the paper colour button is not green ($(rgb newfile-colour 350 620))"
# Save Preset... starts among the presets and saves one there.
echo "$work/program/Presets/Eighth.kcp" >"$work/answer"
xdotool mousemove 510 441
sleep 0.2
xdotool click 1
xdotool mousemove 1000 740
wait_until '[ -s "$work/program/Presets/Eighth.kcp" ]' || fail "Save Preset... saved no preset"
grep -qF -- "--filename=$work/program/Presets/" "$work/zenity.log" ||
    fail "Save Preset... did not start among the presets: $(cat "$work/zenity.log")"
shot_settled newfile-preset || fail "the window kept changing after the preset was saved"
# The size fields gave up the focus to the floating colour: Enter creates at once.
xdotool key Return
shot_until newfile-made '[ "$(paper_size newfile-made)" = "640 480" ] && green newfile-made 512 384' || true
read -r width height <<<"$(paper_size newfile-made)"
[ "$width" -eq 640 ] && [ "$height" -eq 480 ] || fail "the new painting shows $width x $height, not 640 x 480"
xdotool search --name "^$product - Untitled\$" >/dev/null 2>&1 || fail "the new painting is not titled Untitled"
green newfile-made 512 384 || fail "the new painting's paper is not green ($(rgb newfile-made 512 384))"

echo "$work/made.ptg" >"$work/answer"
# Ctrl+S goes again while the title does not name the saved painting (saving it twice does no harm).
press_until ctrl+s 'xdotool search --name "^$product - made\$" >/dev/null 2>&1' || true
[ -s "$work/made.ptg" ] || fail "Ctrl+S did not save made.ptg"
grep -qF -- "--filename=$work/home/Untitled.ptg" "$work/zenity.log" ||
    fail "the painting's first save did not start in the documents: $(cat "$work/zenity.log")"
close_program
rm "$work/program/Presets/Eighth.kcp"

start_program "^$product - made\$" "$program" "$work/made.ptg"
splash_gone "^$product\$"
xdotool mousemove 1000 740
shot_until newfile-read-back '[ "$(paper_size newfile-read-back)" = "640 480" ] && green newfile-read-back 512 384' || true
read -r width height <<<"$(paper_size newfile-read-back)"
[ "$width" -eq 640 ] && [ "$height" -eq 480 ] || fail "made.ptg opens at $width x $height, not 640 x 480"
green newfile-read-back 512 384 || fail "made.ptg opens on another paper ($(rgb newfile-read-back 512 384))"

# The cells that show a picture on a screenshot, as "1" or "0" a cell in the order of $cells.
pictures() {
    local cell left top shown=""
    for cell in $cells; do
        IFS=, read -r left top <<<"$cell"
        below 0.01 "$(spread "$1" "100x60+$((left + 10))+$((top + 10))")" && shown="${shown}1" || shown="${shown}0"
    done
    echo "$shown"
}
# Over the unchanged painting Ctrl+N brings up the pane at once; "Next >" turns to the second
# page, whose one preset fills the first cell: the other five show nothing.
key_until newfile-again ctrl+n '[ "$(pictures newfile-again)" = 111111 ]' || fail "Ctrl+N showed no presets"
shot_settled newfile-again || fail "the window kept changing as the pane came"
xdotool mousemove 660 441
sleep 0.2
xdotool click 1
xdotool mousemove 1000 740
shot_until newfile-page-two '[ "$(pictures newfile-page-two)" = 100000 ]' || true
shot_settled newfile-page-two || fail "the window kept changing after Next"
[ "$(pictures newfile-page-two)" = 100000 ] ||
    fail "the second page shows pictures in cells $(pictures newfile-page-two) (1 a picture), not only in the first"
# A right click on that preset opens its menu at the pointer; "Delete Preset" removes its file,
# and the page shows no picture at all.
xdotool mousemove 377 254
sleep 0.2
xdotool click 3
shot_until newfile-menu '[ "$(changed newfile-page-two newfile-menu)" != 0 ]' || fail "a right click on the preset opened no menu"
shot_settled newfile-menu || fail "the window kept changing as the menu came"
xdotool mousemove 450 276
sleep 0.2
xdotool click 1
xdotool mousemove 1000 740
wait_until '[ "$(find "$work/program/Presets" -type f | wc -l)" -eq 6 ]' || fail "Delete Preset left the preset's file"
shot_until newfile-deleted '[ "$(pictures newfile-deleted)" = 000000 ]' || true
shot_settled newfile-deleted || fail "the window kept changing after the deletion"
[ "$(pictures newfile-deleted)" = 000000 ] ||
    fail "after the deletion the page shows pictures in cells $(pictures newfile-deleted) (1 a picture)"
xdotool key Escape

close_program
echo "new painting end to end: passed"
