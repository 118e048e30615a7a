#!/usr/bin/env bash
# The grain picker and the paper as a user meets them, on a virtual display: Ctrl+N brings up
# the new-painting pane, a click on its texture button opens the grain picker beside it, a
# click on the pastel grain closes the picker and Enter makes the painting on that grain, whose
# tooth shows in a screenshot unlike the fine grain of the painting at start; the painting saved
# through a stand-in file dialog opens again on the same grain. Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"

use_standin_dialog

# The colour of a pixel of a screenshot as RRGGBB.
pixel() { convert "$shots/$1.png" -crop "1x1+$2+$3" -format '%[hex:u.p{0,0}]' info: | cut -c1-6; }
# The mean difference of two screenshots over an area, 0..1.
difference() {
    compare -metric MAE "$shots/$1.png" "$shots/$2.png" -crop "$3" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true
}
above() { awk "BEGIN { exit !($1 > $2) }"; }

start_program "^$product - Untitled\$" "$program"
splash_gone "^$product\$"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool mousemove 1000 740
shot_settled paper-fine || fail "the window kept changing"

# The new-painting pane's panels stand in the middle; a click is taken once they have faded in.
# Ctrl+N goes again while no pane shows.
key_until paper-newfile ctrl+n '[ "$(pixel paper-newfile 330 60)" = 404064 ]' || fail "Ctrl+N showed no new-painting pane"
shot_settled paper-newfile || fail "the window kept changing as the pane came"
# The texture button of the paper panel: the panels stand centred, the paper panel's top at 572.
# The picker sits at the button's corner, kept inside the window: its panel and its cells show. A
# click that comes while the pane still fades in is not taken: it goes again while no picker shows.
shown=
for _ in $(seq 3); do
    xdotool mousemove 426 620 click 1
    patience=5 shot_until paper-grain-picker '[ "$(pixel paper-grain-picker 780 600)" = 404064 ]' && shown=1 && break
done
[ -n "$shown" ] || fail "no grain picker beside the texture button"
shot_settled paper-grain-picker || fail "the window kept changing as the picker came"
# The pastel grain, the third cell.
# A click that comes while the picker still fades in is not taken: it goes again while the picker
# stays.
chosen=
for _ in $(seq 3); do
    xdotool mousemove 736 665 click 1
    patience=5 shot_until paper-grain-chosen '[ "$(pixel paper-grain-chosen 780 600)" != 404064 ]' && chosen=1 && break
done
[ -n "$chosen" ] || fail "the grain picker stayed after a choice"
# Enter creates; when the width field still held the focus, the first Enter only left it.
xdotool key Return
if ! patience=5 shot_until paper-made '[ "$(pixel paper-made 330 60)" != 404064 ]'; then
    xdotool key Return
    shot_until paper-made '[ "$(pixel paper-made 330 60)" != 404064 ]' || fail "Enter did not make the painting"
fi
xdotool mousemove 1000 740
shot_until paper-pastel 'above "$(difference paper-fine paper-pastel 400x200+300+280)" 0.01' || true
shot_settled paper-pastel || fail "the window kept changing after the painting was made"
changed=$(difference paper-fine paper-pastel 400x200+300+280)
above "$changed" 0.01 || fail "the new painting's paper looks like the fine grain (difference $changed)"

echo "$work/pastel.ptg" >"$work/answer"
# Ctrl+S goes again while the title does not name the saved painting (saving it twice does no harm).
press_until ctrl+s 'xdotool search --name "^$product - pastel\$" >/dev/null 2>&1' || true
[ -s "$work/pastel.ptg" ] || fail "Ctrl+S did not save pastel.ptg"
close_program

start_program "^$product - pastel\$" "$program" "$work/pastel.ptg"
splash_gone "^$product\$"
xdotool mousemove 1000 740
shot_until paper-read-back 'above "$changed" "$(difference paper-pastel paper-read-back 400x200+300+280)"' || true
again=$(difference paper-pastel paper-read-back 400x200+300+280)
above "$changed" "$again" || fail "pastel.ptg opens on another grain (difference $again)"
close_program
echo "paper end to end: passed"
