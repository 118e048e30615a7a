#!/usr/bin/env bash
# Types into the test program's edit field on a virtual display with no input method: xdotool
# types "Grüße € ½", Control+A and Control+C put it on the clipboard (read back with xclip), text
# put on the clipboard with xclip is pasted with Control+V, and the window's screenshots show the
# text. On the Russian layout the letter keys type Cyrillic, and Control with the keys of A and C
# selects and copies all. The keypad moves and deletes with Num Lock off and types digits with it
# on. Alt+F4 closes the program, which prints the field's text. Usage: PROGRAM SHOT_FOLDER.
set -euo pipefail

source "$(dirname "$0")/xvfb-session.sh"
program=$2
shots=${3:-$(mktemp -d)}
mkdir -p "$shots"
# No input method: characters come straight from the keyboard events.
export XMODIFIERS=@im=none
unset GTK_IM_MODULE QT_IM_MODULE SDL_IM_MODULE
start_program '^Edit field$' "$program"

# The share of dark pixels inside the field (x 20 to 380, y 24 to 56 of the window).
dark() {
    convert "$shots/$1.png" -crop 356x28+22+26 -colorspace gray -threshold 50% -format '%[fx:1-mean]' info:
}
clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null || true; }
# Control with a key, held long enough for the program to see both.
control() {
    xdotool keydown ctrl
    sleep 0.2
    xdotool key "$1"
    sleep 0.2
    xdotool keyup ctrl
    sleep 0.2
}

shot_settled empty || fail "the window kept changing"
typed='Grüße € ½'
xdotool type --delay 60 "$typed"
before=$(dark empty)
shot_until typed 'awk "BEGIN { exit !($(dark typed) > $before + 0.02) }"' || true
after=$(dark typed)
awk "BEGIN { exit !($after > $before + 0.02) }" ||
    fail "the typed text does not show (dark share $before before, $after after)"

control a
# The whole text selected shows inverted: white on black.
shot_until selected 'awk "BEGIN { exit !($(dark selected) > $after + 0.1) }"' || true
selected=$(dark selected)
awk "BEGIN { exit !($selected > $after + 0.1) }" ||
    fail "Control+A shows no selection (dark share $after before, $selected after)"
control c
copied=
wait_until 'copied=$(clipboard); [ "$copied" = "$typed" ]' || true
[ "$copied" = "$typed" ] || fail "the clipboard holds '$copied', not '$typed'"

printf '%s' ' ok' | xclip -selection clipboard
xdotool key End
control v
shot_until pasted 'awk "BEGIN { exit !($(dark pasted) > $after) }"' || fail "the pasted text does not show"

# The keys of Z, A and I by their key codes, whatever the layout makes of them.
setxkbmap ru
xdotool key --delay 60 52 38 31
control 38
control 54
whole="$typed okяфш"
wait_until 'copied=$(clipboard); [ "$copied" = "$whole" ]' || true
[ "$copied" = "$whole" ] || fail "on the Russian layout the clipboard holds '$copied', not '$whole'"
setxkbmap us

# With Num Lock off the keypad's 1, 4, 7 and decimal key are End (which ends the selection),
# Left, Home and Delete, and type nothing; with it on, its 4, decimal key and 2 (by their key
# codes) type "4.2".
numlock_is() { xset q | grep -q "Num Lock: *$1"; }
numlock_is off || xdotool key Num_Lock
numlock_is off || fail "Num Lock does not go off"
xdotool key KP_End
xdotool type 'ac'
xdotool key KP_Left
xdotool type 'b'
xdotool key KP_Home
xdotool type '<'
xdotool key KP_End KP_Left KP_Delete
xdotool key Num_Lock
numlock_is on || fail "Num Lock does not go on"
xdotool key 83 91 88
xdotool key Num_Lock
whole="<${whole}ab4.2"

close_program
printed=$(cat "$work/stdout")
[ "$printed" = "$whole" ] || fail "the field holds '$printed', not '$whole'"
echo "typed '$typed', copied it, pasted ' ok', typed and copied on the Russian layout, moved and deleted with the keypad, the field held '$printed'; screenshots in $shots"
