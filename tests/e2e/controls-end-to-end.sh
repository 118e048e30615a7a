#!/usr/bin/env bash
# Drives the test program's controls on a virtual display with xdotool and reads the window's
# screenshots: a drag round the dial fills its sector and its value follows, and ends where the
# button came up even when a move beyond comes with the release; a click on the value
# opens the text prompt, where "40" and Enter set 40 %; a click on the switch flips its label; the
# menu button opens a menu whose submenu opens under the pointer and by the right arrow key, and
# Enter on a submenu item reaches the program. Usage: PROGRAM SHOT_FOLDER.
set -euo pipefail

source "$(dirname "$0")/xvfb-session.sh"
program=$2
shots=${3:-$(mktemp -d)}
mkdir -p "$shots"
start_program '^Controls$' "$program"

# where NAME: the middle of a part, as the program printed it ("at NAME X Y").
where() { awk -v name="$1" '$1 == "at" && $2 == name { print $3, $4 }' "$work/stdout"; }
# printed LINE: whether the program printed that line.
printed() { grep -qx "$1" "$work/stdout"; }
# The colour of one pixel of a screenshot, as hexadecimal RRGGBB.
pixel() { convert "$shots/$1.png" -format '%[hex:p{'"$2"','"$3"'}]' info: | cut -c1-6; }
# The pointer rests a moment after a move, so that the program sees it there before a click.
move() { xdotool mousemove --window "$window" "$1" "$2"; sleep 0.1; }
click() { move "$1" "$2"; xdotool click 1; }

read -r pie_x pie_y <<<"$(where pie)"
read -r value_x value_y <<<"$(where value)"
read -r switch_x switch_y <<<"$(where switch)"
read -r button_x button_y <<<"$(where button)"
[ -n "$pie_x" ] && [ -n "$button_x" ] || fail "the program did not say where its parts are"
shot_settled start || fail "the window kept changing"

# A drag round the dial from 3 o'clock through 6 to 9: about 77 %.
move $((pie_x + 18)) "$pie_y"
xdotool mousedown 1
while read -r x y; do
    xdotool mousemove --window "$window" "$x" "$y"
    sleep 0.03
done < <(python3 -c "
import math
for step in range(0, 181, 10):
    angle = math.radians(step)
    print(round($pie_x + 18 * math.cos(angle)), round($pie_y + 18 * math.sin(angle)))")
# The release and a move beyond it come while the program is busy (stopped here), so that it
# takes both in at once: the drag ends where the button came up.
kill -STOP "$pid"
xdotool mouseup 1
xdotool mousemove --window "$window" 240 330
sleep 0.3
kill -CONT "$pid"
# last_dial: the dial's value as the program printed it last.
last_dial() { grep '^dial ' "$work/stdout" | tail -1; }
shot_until dial-dragged '[ "$(last_dial)" = "dial 77" ] && [ "$(pixel dial-dragged $((pie_x - 12)) $((pie_y + 2)))" != FFFFFF ] &&
    [ "$(changed start dial-dragged 40x18+$((value_x - 20))+$((value_y - 9)))" != 0 ]' || true
[ "$(last_dial)" = "dial 77" ] || fail "the drag did not end at 77 % (printed: $(last_dial))"
# Left of the centre the ring is filled now: the fill (grey, or green while lit), not the white
# of the rest of the ring.
filled=$(pixel dial-dragged $((pie_x - 12)) $((pie_y + 2)))
[ "$filled" != FFFFFF ] || fail "the sector left of the dial's centre shows the ring's white, not the fill"
[ "$(changed start dial-dragged 40x18+$((value_x - 20))+$((value_y - 9)))" != 0 ] ||
    fail "the value text did not follow the drag"

# A click on the value opens the prompt; 40 and Enter.
click "$value_x" "$value_y"
shot_until prompt-open '[ "$(changed dial-dragged prompt-open 1024x768+0+0)" != 0 ]' || fail "the click on the value opened no prompt"
# The prompt comes through a transition, which takes no keys: they go once it has settled.
shot_settled prompt-open || fail "the window kept changing as the prompt opened"
xdotool key ctrl+a BackSpace
xdotool type --delay 80 40
shot_until prompt-typed '[ "$(changed prompt-open prompt-typed 1024x768+0+0)" != 0 ]' || fail "the typed 40 does not show"
xdotool key Return
move 240 330
shot_until dial-40 'printed "dial 40" && [ "$(pixel dial-40 $((pie_x - 12)) $((pie_y + 2)))" = FFFFFF ] &&
    [ "$(pixel dial-40 $((pie_x + 12)) $((pie_y + 2)))" != FFFFFF ]' || true
printed 'dial 40' || fail "the typed 40 did not reach the dial"
empty=$(pixel dial-40 $((pie_x - 12)) $((pie_y + 2)))
[ "$empty" = FFFFFF ] || fail "at 40 % the ring left of the centre shows $empty, not the ring's white"
right=$(pixel dial-40 $((pie_x + 12)) $((pie_y + 2)))
[ "$right" != FFFFFF ] || fail "at 40 % the ring right of the centre is not filled"

# The switch flips and says so.
shot switch-off
click "$switch_x" "$switch_y"
move 240 330
shot_until switch-on 'printed "switch 1" && [ "$(changed switch-off switch-on 40x20+$((switch_x - 20))+$((switch_y - 10)))" != 0 ]' ||
    true
printed 'switch 1' || fail "the switch did not report 1"
[ "$(changed switch-off switch-on 40x20+$((switch_x - 20))+$((switch_y - 10)))" != 0 ] ||
    fail "the switch's label did not change"

# The menu: opened by the button, its submenu under the pointer.
click "$button_x" "$button_y"
shot_until menu-open '[ "$(changed switch-on menu-open 140x120+$((button_x - 40))+$((button_y + 14)))" != 0 ]' || true
[ "$(changed switch-on menu-open 140x120+$((button_x - 40))+$((button_y + 14)))" != 0 ] ||
    fail "the menu did not appear"
# The second item ("Recent") lies 10 + 24 + 12 pixels below the menu's top.
menu_top=$((button_y + 14 + 4))
move $((button_x - 10)) $((menu_top + 46))
shot_until submenu-hover '[ "$(changed menu-open submenu-hover 140x120+$((button_x + 80))+$((menu_top + 10)))" != 0 ]' ||
    fail "the submenu did not open under the pointer"
xdotool key Escape
wait_until 'printed "menu -1"' || fail "Escape did not close the menu with nothing chosen"

# menu_key KEY NAME PREVIOUS REGION WHAT: the key, then screenshots as NAME until REGION differs
# from the screenshot PREVIOUS; fails saying WHAT did not happen.
menu_key() {
    xdotool key "$1"
    shot_until "$2" "[ \"\$(changed $3 $2 $4)\" != 0 ]" || fail "$5"
}

# And by the keys: down to "Recent", right opens the submenu, down twice and Enter.
# The keys go once the menu shows again; each is seen before the next goes.
click "$button_x" "$button_y"
move 240 330
shot_until menu-again '[ "$(changed switch-on menu-again 140x120+$((button_x - 40))+$((button_y + 14)))" != 0 ]' ||
    fail "the menu did not appear again"
menu_region="140x120+$((button_x - 40))+$((button_y + 14))"
submenu_region="140x120+$((button_x + 80))+$((menu_top + 10))"
menu_key Down menu-down-1 menu-again "$menu_region" "the down arrow moved nothing in the menu"
menu_key Down menu-down-2 menu-down-1 "$menu_region" "the second down arrow moved nothing in the menu"
menu_key Right submenu-keys menu-open "$submenu_region" "the right arrow did not open the submenu"
menu_key Down submenu-down-1 submenu-keys "$submenu_region" "the down arrow moved nothing in the submenu"
menu_key Down submenu-down-2 submenu-down-1 "$submenu_region" "the second down arrow moved nothing in the submenu"
xdotool key Return
shot_until menu-chosen 'printed "menu 22"' || fail "Enter on the submenu's second item did not reach the program"

close_program
echo "dial dragged to 77 %, typed 40; switch on; menu by pointer and keys chose 22; screenshots in $shots"
