#!/usr/bin/env bash
# The panes on a screen of 800 x 600, as a user meets them on a virtual display: the tool settings
# stand wholly on the screen, the oil brush's as high as their top edge allows, chalk's above the
# tool picker; the update pane, opened with Ctrl+U before Ctrl+N and closing the new-painting pane
# with Escape, closes with Escape as it says.
# Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

screen_size=800x600
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"
cd "$work"

# The first run of rows of the pane's blue-grey background down the column at x = 3, inside the
# tool settings pane's left edge, as "first last": a pane whose top stands on the screen shows its
# edge above the run.
pane_rows() {
    convert "$shots/$1.png" -crop 1x600+3+0 +repage -depth 8 txt:- | awk '
        NR == 1 { next }
        $4 == "srgb(64,64,100)" { split($1, at, "[,:]"); if (first == "") first = at[2]; last = at[2]; next }
        first != "" { exit }
        END { print first, last }'
}
above() { awk "BEGIN { exit !($1 > $2) }"; }
# Whether the pixel at X Y of a screenshot is reddish, as the failed check's band is.
reddish() {
    local red green
    read -r red green <<<"$(convert "$shots/$1.png" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)]" info:)"
    [ "$red" -gt $((green + 40)) ]
}

start_program "^$product - Untitled\$" "$program"
splash_gone "^$product\$"
xdotool mousemove 450 110
shot_settled short-oil || fail "the window kept changing"
# Too tall to stand above the tool picker, the oil brush's settings keep their top on the screen.
read -r top bottom <<<"$(pane_rows short-oil)"
[ "$top" = 2 ] && [ "$bottom" -lt 599 ] || fail "the oil brush's settings stand at rows ${top:-none} to ${bottom:-none}"
echo "oil brush settings: rows $top to $bottom"

# Chalk (the first button of the picker's second row) has one dial, above the tool picker.
xdotool mousemove 123 489
sleep 0.2
xdotool click 1
xdotool mousemove 450 110
shot_until short-chalk 'above "$(changed short-oil short-chalk 100x300+0+0)" 0.05' || fail "chalk's settings did not come"
shot_settled short-chalk || fail "the window kept changing after chalk's click"
read -r top bottom <<<"$(pane_rows short-chalk)"
[ "$top" = 2 ] && [ "$bottom" -lt 400 ] || fail "chalk's settings stand at rows ${top:-none} to ${bottom:-none}"
echo "chalk settings: rows $top to $bottom"

# The update pane, once its check failed (there is no network here), then the new-painting pane
# over it, closed with Escape: the first leaves its width field, the next closes it.
xdotool key ctrl+u
shot_until short-update 'reddish short-update 400 262' || fail "the update pane did not report its failed check"
shot_settled short-update || fail "the window kept changing after the update check"
key_until short-new ctrl+n 'above "$(changed short-update short-new 800x600+0+0)" 0.05' ||
    fail "the new-painting pane did not open"
shot_settled short-new || fail "the window kept changing as the new-painting pane opened"
xdotool key Escape
sleep 0.3
xdotool key Escape
shot_until short-new-closed '[ "$(changed short-update short-new-closed 800x600+0+0)" = 0 ]' ||
    fail "Escape did not bring back the screen with the update pane"
# The update pane has the keys again: Escape closes it.
xdotool key Escape
shot_until short-update-closed '[ "$(changed short-chalk short-update-closed 800x600+0+0)" = 0 ]' ||
    fail "Escape did not close the update pane"

close_program
echo "screenshots in $shots"
