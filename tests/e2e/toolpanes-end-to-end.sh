#!/usr/bin/env bash
# The tool panes as a user meets them, on a virtual display: every tool button is in the tool
# picker; a click on the pencil moves the highlight, repaints the preview and makes the next
# stroke a pencil's; a drag across the preview changes the size and the next stroke's width; a
# click on the preview opens the text prompt, where "250" and Enter make the size 250%. The tool
# settings show the oil brush's three dials, two switches and reset button; dragging a dial's
# value changes it and the next stroke; a dial and a switch light under the pointer and go out
# when it leaves, after a press too; and reset brings the defaults back. The clean-brush switch
# turned off brings the clean-brush button to the bottom edge, a click on it recolours its brush,
# and the switch turned on again slides it away. Closing answers the save prompt with "n".
# Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"
cd "$work"

# The share of an area's pixels that are light (text and icons on the panels).
light() { convert "$shots/$1.png" -crop "$2" +repage -colorspace gray -threshold 45% -format '%[fx:mean]' info:; }
# The share of an area's pixels that differ from the blank paper by more than a little.
inked() {
    convert "$shots/$1.png" "$shots/tools-blank.png" -crop "$2" +repage -compose difference -composite \
        -colorspace gray -threshold 12% -format '%[fx:mean]' info:
}
above() { awk "BEGIN { exit !($1 > $2) }"; }
# The pointer rests a moment before the click, so that the program sees it there.
click() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool click 1
}
# drag X0 Y0 X1 Y1: a press at the first point, moved in steps to the second, released there, at a
# hand's pace.
drag() {
    local i
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool mousedown 1
    for i in $(seq 1 10); do
        xdotool mousemove $(($1 + ($3 - $1) * i / 10)) $(($2 + ($4 - $2) * i / 10))
        sleep 0.05
    done
    sleep 0.2
    xdotool mouseup 1
}
# stroke Y: a stroke across the painting at height Y.
stroke() { drag 400 "$1" 900 "$1"; }

# Where things stand on the 1024 x 768 screen: the tool picker in the bottom-left corner (its
# root at (-3, 571)), the tool settings above it at the left edge.
declare -A tool=([oil]="123 615" [pencil]="167 615" [crayon]="211 615" [chalk]="123 659" [pen]="167 659"
    [knife]="211 659" [eraser]="123 703" [sampler]="167 703")
button_area() { set -- ${tool[$1]}; echo "34x34+$(($1 - 17))+$(($2 - 17))"; }
preview_area="84x162+11+595"
label_area="72x26+131+731"

# icons NAME: whether every tool button shows its icon in the screenshot.
icons() {
    local name
    for name in "${!tool[@]}"; do
        above "$(light "$1" "$(button_area "$name")")" 0.02 || return 1
    done
}

start_program "^$product - Untitled" "$program"
splash_gone "^$product\$"
xdotool mousemove 700 150
shot_until tools-blank 'icons tools-blank' || true
shot_settled tools-blank || fail "the window kept changing"

for name in "${!tool[@]}"; do
    above "$(light tools-blank "$(button_area "$name")")" 0.02 || fail "no icon on the $name button"
done
above "$(light tools-blank 40x40+187+683)" 0.001 && fail "a place without a tool shows a button"
# The current tool, the oil brush, is lit: its face is lighter than the pencil's.
oil_lit=$(convert "$shots/tools-blank.png" -crop "$(button_area oil)" +repage -colorspace gray -format '%[fx:mean]' info:)
pencil_dim=$(convert "$shots/tools-blank.png" -crop "$(button_area pencil)" +repage -colorspace gray -format '%[fx:mean]' info:)
above "$oil_lit" "$pencil_dim" || fail "the oil brush's button is not lit ($oil_lit, $pencil_dim)"

# Each stroke's screenshot is kept once the stroke shows and the window has settled: the widths
# are compared.
stroke 120
shot_until tools-oil-stroke 'above "$(inked tools-oil-stroke 500x80+400+80)" 0.02' || true
shot_settled tools-oil-stroke || fail "the window kept changing after the stroke"
oil_ink=$(inked tools-oil-stroke 500x80+400+80)
above "$oil_ink" 0.02 || fail "the oil brush painted nothing ($oil_ink)"

# lit NAME TOOL: the mean brightness of a tool's button.
lit() { convert "$shots/$1.png" -crop "$(button_area "$2")" +repage -colorspace gray -format '%[fx:mean]' info:; }
click 167 615
xdotool mousemove 700 150
shot_until tools-pencil 'above "$(lit tools-pencil pencil)" "$(lit tools-pencil oil)" &&
    above "$(changed tools-oil-stroke tools-pencil "$preview_area")" 0.02' || true
shot_settled tools-pencil || fail "the window kept changing after the pencil's click"
pencil_lit=$(convert "$shots/tools-pencil.png" -crop "$(button_area pencil)" +repage -colorspace gray -format '%[fx:mean]' info:)
oil_dim=$(convert "$shots/tools-pencil.png" -crop "$(button_area oil)" +repage -colorspace gray -format '%[fx:mean]' info:)
above "$pencil_lit" "$oil_dim" || fail "the highlight did not move to the pencil ($pencil_lit, $oil_dim)"
above "$(changed tools-oil-stroke tools-pencil "$preview_area")" 0.02 || fail "the preview did not change with the tool"
stroke 220
shot_until tools-pencil-stroke 'above "$(inked tools-pencil-stroke 500x80+400+180)" 0.002' || true
shot_settled tools-pencil-stroke || fail "the window kept changing after the stroke"
pencil_ink=$(inked tools-pencil-stroke 500x80+400+180)
above "$pencil_ink" 0.002 || fail "the pencil painted nothing ($pencil_ink)"
above "$oil_ink" "$pencil_ink" || fail "the pencil's stroke is not the thinner one ($pencil_ink, $oil_ink)"

# A drag to the right across the preview makes the pencil wider.
drag 40 676 90 676
xdotool mousemove 700 150
shot_until tools-wider 'above "$(changed tools-pencil-stroke tools-wider "$label_area")" 0.01' ||
    fail "the size label did not change"
shot_settled tools-wider || fail "the window kept changing after the drag"
stroke 320
shot_until tools-wider-stroke 'above "$(inked tools-wider-stroke 500x80+400+280)" "$pencil_ink"' || true
shot_settled tools-wider-stroke || fail "the window kept changing after the stroke"
wide_ink=$(inked tools-wider-stroke 500x80+400+280)
above "$wide_ink" "$pencil_ink" || fail "the wider pencil's stroke is not wider ($wide_ink, $pencil_ink)"

# A click on the preview asks for the size; 250 makes it 250%.
before=$(light tools-wider "$label_area")
click 53 676
shot_until tools-size-prompt 'above "$(changed tools-wider tools-size-prompt 200x60+70+695)" 0.05' ||
    fail "no size prompt appeared"
# The prompt takes keys once its transition has ended and the window settled.
shot_settled tools-size-prompt || fail "the window kept changing as the size prompt opened"
xdotool key ctrl+a BackSpace BackSpace BackSpace BackSpace
xdotool type 250
xdotool key Return
xdotool mousemove 700 150
shot_until tools-size-250 'above "$(light tools-size-250 "$label_area")" "$before"' || true
after=$(light tools-size-250 "$label_area")
above "$after" "$before" || fail "the label does not show the longer 250% ($after, $before)"

# Back to the oil brush: its settings show three dials, two switches and the reset button.
click 123 615
xdotool mousemove 700 150
# settings NAME: the row at y, where the pane's panel runs from the dials at the top down to the
# reset button above the picker, shows something light wherever it is not bare panel; the first
# row where it does not is printed.
settings() {
    local y colour
    for y in 130 250 380 470 540; do
        colour=$(convert "$shots/$1.png" -crop 1x1+60+$y +repage -format '%[pixel:p{0,0}]' info:)
        [ "$colour" != "srgb(64,64,100)" ] || continue
        above "$(light "$1" 100x30+0+$((y - 15)))" 0.01 || { echo "$y"; return 1; }
    done
}
shot_until tools-oil-settings 'settings tools-oil-settings >/dev/null && above "$(lit tools-oil-settings oil)" "$(lit tools-oil-settings pencil)"' ||
    true
# The settings are compared with those after reset to the pixel: the window settles first.
shot_settled tools-oil-settings || fail "the window kept changing after the oil brush's click"
empty_row=$(settings tools-oil-settings) || fail "the tool settings show nothing at $empty_row"
# Dragging the pressure dial's value up raises it, and the next stroke is another.
drag 43 197 43 167
xdotool mousemove 700 150
shot_until tools-pressure 'above "$(changed tools-oil-settings tools-pressure 60x20+13+187)" 0.01' ||
    fail "the dial's value did not change"
stroke 420
shot_until tools-pressure-stroke 'above "$(inked tools-pressure-stroke 500x80+400+380)" 0.002' || fail "the stroke painted nothing"
# The pressure dial's gauge turns green under the pointer and grey again once it leaves, also
# after a drag round it; the dry-brush switch lights under the pointer and goes out after a press
# held and released over the painting.
sector_green() { convert "$shots/$1.png" -crop 6x6+54+157 +repage -format '%[fx:mean.g - mean.b]' info:; }
xdotool mousemove 45 160
shot_until tools-dial-lit 'above "$(sector_green tools-dial-lit)" 0.5' || fail "the dial did not light under the pointer"
drag 60 160 45 178
xdotool mousemove 700 150
shot_until tools-dial-out 'above 0.02 "$(sector_green tools-dial-out)"' ||
    fail "the dial stayed lit after its drag ($(sector_green tools-dial-out))"
switch_area=40x20+23+433
xdotool mousemove 43 443
shot_until tools-switch-lit 'above "$(changed tools-oil-settings tools-switch-lit $switch_area)" 0.05' ||
    fail "the dry-brush switch did not light under the pointer"
xdotool mousedown 1
sleep 0.7
xdotool mousemove 700 150
xdotool mouseup 1
shot_until tools-switch-out '[ "$(changed tools-oil-settings tools-switch-out $switch_area)" = 0 ]' ||
    fail "the dry-brush switch stayed lit after a press released away"
# Reset brings the defaults back.
click 43 546
xdotool mousemove 700 150
shot_until tools-reset '[ "$(changed tools-oil-settings tools-reset 100x440+0+120)" = 0 ]' ||
    fail "reset did not bring the defaults back"

# The clean-brush switch off: the clean-brush button comes up at the bottom edge. Each screenshot
# the next step compares with is kept once the window settled.
click 44 504
xdotool mousemove 700 150
shot_until tools-clean-off 'above "$(changed tools-reset tools-clean-off 64x70+262+698)" 0.05' ||
    fail "the clean-brush button did not come"
shot_settled tools-clean-off || fail "the window kept changing as the clean-brush button came"
click 294 731
xdotool mousemove 700 150
shot_until tools-cleaned 'above "$(changed tools-clean-off tools-cleaned 48x48+270+707)" 0.005' ||
    fail "the clean-brush button did not recolour"
shot_settled tools-cleaned || fail "the window kept changing as the clean-brush button recoloured"
click 44 504
xdotool mousemove 700 150
shot_until tools-clean-on 'above "$(changed tools-cleaned tools-clean-on 64x70+262+698)" 0.05' ||
    fail "the clean-brush button did not slide away"

# The strokes made the painting modified: the save prompt's "n" closes without saving.
close_program_unsaved
echo "oil $oil_ink, pencil $pencil_ink, wider pencil $wide_ink; screenshots in $shots"
