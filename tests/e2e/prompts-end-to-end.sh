#!/usr/bin/env bash
# Drives the prompts' test program on a virtual display with xdotool: the pointer over a button
# of the test pane lights it; the pane refuses the checkbox's first click and shows the mark on
# the second; "Ask" opens the text prompt through a transition, typed text and Enter reach the
# pane's field; "Save?" opens the save prompt, whose "n" and Esc reach the recording backdrop; a
# click on the handle slides the pane to its other side. Alt+F4 closes the program, which prints
# what it saw. Usage: PROGRAM SHOT_FOLDER.
set -euo pipefail

source "$(dirname "$0")/xvfb-session.sh"
program=$2
shots=${3:-$(mktemp -d)}
mkdir -p "$shots"
# No input method: characters come straight from the keyboard events.
export XMODIFIERS=@im=none
unset GTK_IM_MODULE QT_IM_MODULE SDL_IM_MODULE
start_program '^Prompts$' "$program"

# The mean brightness of a window area (WxH+X+Y), 0..1.
bright() { convert "$shots/$1.png" -crop "$2" -colorspace gray -format '%[fx:mean]' info:; }
check() { awk "BEGIN { exit !($1) }" || fail "$2"; }
holds() { awk "BEGIN { exit !($1) }"; }
# The pointer rests a moment after a move, so that the program sees it there before a click.
at() {
    xdotool mousemove --window "$window" "$1" "$2"
    sleep 0.2
}
click() {
    at "$1" "$2"
    xdotool click 1
}

# The test pane stands at (20, 60): handle at (204, 70), "Ask" at (40, 110), "Save?" at
# (40, 156), the check mark at (40, 206), the field at (26, 244).
at 400 500
shot_settled start || fail "the window kept changing"
at 130 126
shot_until hover 'holds "$(bright hover 160x20+50+116) > $(bright start 160x20+50+116) + 0.03"' || true
lit=$(bright hover 160x20+50+116)
unlit=$(bright start 160x20+50+116)
check "$lit > $unlit + 0.03" "the pointer over 'Ask' does not light it ($unlit before, $lit after)"
check "$(changed start hover 160x20+50+162) < 0.005" "'Save?' lit up too"

# The refused click must leave the mark away: nothing shows when it was taken, so the shot waits
# a while instead.
click 49 215
sleep 0.5
shot refused
check "$(changed start refused 18x18+40+206) < 0.005" "the mark shows although the pane refused it"
click 49 215
shot_until ticked 'holds "$(changed start ticked 18x18+40+206) > 0.05"' || true
check "$(changed start ticked 18x18+40+206) > 0.05" "the mark does not show after the pane took the click"

# The opening shot is taken while the transition runs, an eighth of a second after the click.
click 130 126
sleep 0.12
shot opening
shot_until prompt 'holds "$(changed start prompt 200x60+300+250) > 0.03"' || true
shot_settled prompt || fail "the window kept changing while the prompt opened"
check "$(changed start prompt 200x60+300+250) > 0.03" "no text prompt in the middle of the window"
xdotool type --delay 60 "teal"
shot_until typed 'holds "$(changed prompt typed 200x20+300+268) > 0.005"' || true
check "$(changed prompt typed 200x20+300+268) > 0.005" "the typed text does not show in the prompt"
xdotool key Return
shot_until entered 'holds "$(changed start entered 180x20+36+248) > 0.01" &&
    holds "$(changed start entered 200x60+300+250) < 0.01"' || true
shot_settled entered || fail "the window kept changing as the prompt closed"
check "$(changed start entered 180x20+36+248) > 0.01" "the entered text does not show in the pane's field"
check "$(changed start entered 200x60+300+250) < 0.01" "the text prompt is still up"

click 130 172
# The save prompt, too, comes through a transition that takes no keys.
shot_until save 'holds "$(changed start save 300x100+250+220) > 0.03"' || true
shot_settled save || fail "the window kept changing as the save prompt opened"
check "$(changed start save 300x100+250+220) > 0.03" "no save prompt"
xdotool key n
shot_until save-answered 'holds "$(changed entered save-answered 300x100+250+220) < 0.01"' ||
    fail "\"n\" left the save prompt up"
click 130 172
shot_until save-again 'holds "$(changed start save-again 300x100+250+220) > 0.03"' || fail "no save prompt the second time"
shot_settled save-again || fail "the window kept changing as the save prompt opened again"
xdotool key Escape
shot_until answered 'holds "$(changed entered answered 300x100+250+220) < 0.01"' || true
check "$(changed entered answered 300x100+250+220) < 0.01" "the save prompt is still up"

click 217 83
shot_until slid 'holds "$(changed answered slid 200x200+30+100) > 0.05" &&
    holds "$(bright slid 150x150+600+110) > $(bright answered 150x150+600+110) + 0.02"' || true
# The pane says it reached its side at the end of the slide: the window settles first.
shot_settled slid || fail "the window kept changing as the pane slid"
check "$(changed answered slid 200x200+30+100) > 0.05" "the pane did not leave its place"
check "$(bright slid 150x150+600+110) > $(bright answered 150x150+600+110) + 0.02" "the pane did not reach its other side"

close_program
expected="toggle asks 1 refused
toggle asks 1 taken
text prompt opening 0
entered teal
side 1
answer 0xFF00001E context 2
answer 0xFF00001F context 2"
printed=$(cat "$work/stdout")
[ "$printed" = "$expected" ] || fail "the program printed:
$printed"
echo "hover, checkbox, text prompt, save prompt and slide as expected; screenshots in $shots"
