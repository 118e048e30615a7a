#!/usr/bin/env bash
# The turned painting as a user meets it, on a 1600 x 1000 virtual display: a new painting of
# 800 x 600, turned by a drag of 100 pixels with the rotate tool of the navigation pane, shows its
# paper from one end of its turned height to the other, and View > Reset Rotation leaves no paper
# beyond the unturned painting. Alt with a right-button drag, sent in one burst with the key let
# go at its end, turns the painting: it does not move it. Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

screen_size=1600x1000
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"

# The first and last rows of a screenshot that show paper (grey 200 or lighter, four pixels or
# more) between the panes at the window's sides, with the menu bar's titles and the navigation
# pane's thumbnail left out: "FIRST LAST", or "none".
paper_rows() {
    convert "$shots/$1.png" -colorspace gray -depth 8 gray:- | python3 -c '
import sys
pixels = sys.stdin.buffer.read()
width, height = 1600, 1000
rows = []
for y in range(height):
    row = pixels[y * width:(y + 1) * width]
    count = 0
    for x in range(250, 1340):
        if row[x] < 200 or (y < 34 and 505 <= x < 1095) or (y >= 910 and 720 <= x < 880):
            continue
        count += 1
    if count >= 4:
        rows.append(y)
print(f"{rows[0]} {rows[-1]}" if rows else "none")
'
}
# The paper reaches within 45 pixels of the window's top (the menu bar hides the tip) and its
# bottom: the height of 800 x 600 turned by 72 degrees, 946 pixels about the middle row 500.
turned() {
    local first last
    read -r first last <<<"$(paper_rows "$1")"
    [ "$first" != none ] && [ "$first" -le 45 ] && [ "$last" -ge 955 ]
}
# The painting stands unturned at 100% in the middle of the window: rows 200 to 799, none beyond.
unturned() { [ "$(paper_rows "$1")" = "200 799" ]; }
above() { awk "BEGIN { exit !($1 > $2) }"; }
# The pointer rests a moment before the click, so that the program sees it there.
click() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool click 1
}
# Out of the way of the painting and the panes.
rest_pointer() { xdotool mousemove 1450 100; }

start_program "^$product - Untitled\$" "$program"
splash_gone "^$product\$"
rest_pointer
shot_settled view-start || fail "the window kept changing"

# Ctrl+N, the size typed into the fields; Enter leaves the height field, a second Enter creates.
key_until view-new ctrl+n 'above "$(changed view-start view-new)" 0.02' ||
    fail "Ctrl+N showed no new-painting pane"
shot_settled view-new || fail "the window kept changing as the pane came"
xdotool type 800
xdotool key Tab
xdotool type 600
xdotool key Return
sleep 0.3
xdotool key Return
shot_until view-made 'unturned view-made' || fail "the new painting shows rows $(paper_rows view-made), not 200 to 799"
shot_settled view-made || fail "the window kept changing after the new painting"

# The rotate tool of the navigation pane, whose button stands at (863, 940), dragged 100 pixels
# to the right over the painting at a hand's pace: 0.2 of a turn.
click 863 940
xdotool mousemove 700 500
sleep 0.2
xdotool mousedown 1
for x in $(seq 710 10 800); do
    xdotool mousemove "$x" 500
    sleep 0.03
done
xdotool mouseup 1
rest_pointer
shot_until view-turned 'turned view-turned' || true
shot_settled view-turned || fail "the window kept changing after the turn"
turned view-turned || fail "the turned painting shows paper only on rows $(paper_rows view-turned)"

# View > Reset Rotation: the View title at (660, 16), the entry at (714, 241) of its menu.
click 660 16
shot_until view-menu 'above "$(changed view-turned view-menu)" 0' ||
    fail "the View title opened no menu"
shot_settled view-menu || fail "the window kept changing as the menu came"
click 714 241
rest_pointer
shot_until view-reset 'unturned view-reset' || true
shot_settled view-reset || fail "the window kept changing after Reset Rotation"
unturned view-reset || fail "after Reset Rotation paper shows on rows $(paper_rows view-reset), not 200 to 799 alone"

# Alt, the right button, two moves of 50 pixels, the release and Alt let go, in one burst: the
# program reads the moves after the key went up, and still turns by the 100 pixels.
xdotool mousemove 640 380
sleep 0.3
xdotool keydown alt mousedown 3 mousemove 690 380 mousemove 740 380 mouseup 3 keyup alt
rest_pointer
shot_until view-chord 'turned view-chord' || true
shot_settled view-chord || fail "the window kept changing after the chord"
turned view-chord || fail "Alt with the right button did not turn the painting: paper on rows $(paper_rows view-chord)"

close_program
echo "turned view end to end: passed"
