#!/usr/bin/env bash
# The program under a window manager (openbox), on a virtual display: full screen covers the
# screen exactly, with the menu bar at its top, whether it comes back from a window by the menu
# bar's window button or by the window manager's maximise; a stroke whose window is minimised
# before the button goes up ends there, paints nothing once the window is back, and is one undo
# step, and the next stroke paints as any does. Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"
cd "$work"

# Openbox as Debian sets it up, with Super+Up for its maximise.
sed 's|<keyboard>|<keyboard><keybind key="W-Up"><action name="ToggleMaximize"/></keybind>|' \
    /etc/xdg/openbox/rc.xml >"$work/openbox.xml"
openbox --sm-disable --config-file "$work/openbox.xml" >"$work/openbox.log" 2>&1 &
wm_pid=$!
trap 'kill "$wm_pid" 2>/dev/null || true; cleanup' EXIT
wait_until 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' || fail "openbox did not start"

full="0,0 1024x768"
# The window's client area on the screen as "X,Y WIDTHxHEIGHT".
geometry() { xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x "," y " " w "x" h }'; }
# The screen as NAME.png.
screen_shot() { xwd -root -silent | convert xwd:- -define png:compression-level=1 "$shots/$1.png"; }
brightness() { convert "$shots/$1.png" -crop "$2" -colorspace gray -format '%[fx:mean]' info:; }
above() { awk "BEGIN { exit !($1 > $2) }"; }
# full_screen NAME HOW: waits for the window to cover the screen, then for a screenshot with the
# dark menu bar at the screen's top centre.
full_screen() {
    wait_until '[ "$(geometry)" = "$full" ]' || fail "full screen $2 put the window at $(geometry), not $full"
    local deadline=$((SECONDS + patience))
    until screen_shot "$1" && above 0.4 "$(brightness "$1" 500x20+262+6)"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "full screen $2 shows no menu bar at the screen's top"
        sleep 0.1
    done
}
# to_window: the menu bar's window button (the square beside the close button) makes a window of
# the full screen.
to_window() {
    xdotool mousemove 755 16 click 1
    wait_until '[ "$(geometry)" != "$full" ]' || fail "the window button left the full screen"
    geometry >"$work/windowed"
}

start_program "^$product - Untitled\$" "$program"
splash_gone "^$product\$"
full_screen wm-start "at the start"

# From a window back by the same button on the window's menu bar, which stands centred at its
# top, the window button 243 pixels right of the middle.
to_window
read -r x y width _ < <(tr ',x' '  ' <"$work/windowed")
xdotool mousemove $((x + width / 2 + 243)) $((y + 16)) click 1
full_screen wm-by-button "by the window button (from $(cat "$work/windowed"))"

# From a window back by the window manager's maximise.
to_window
xdotool key super+Up
full_screen wm-by-maximise "by the window manager's maximise (from $(cat "$work/windowed"))"

# A pencil stroke, the window minimised before the button goes up, back, and moves with no button
# held across the painting below the stroke.
xdotool key 2
xdotool mousemove 512 700
shot_settled wm-stroke-start || fail "the window kept changing"
xdotool mousemove 200 400 mousedown 1
for x in $(seq 220 20 500); do
    xdotool mousemove "$x" 400
    sleep 0.02
done
xdotool windowminimize "$window"
wait_until 'xprop -id "$window" WM_STATE | grep -q Iconic' || fail "the window was not minimised"
xdotool mouseup 1
xdotool windowactivate "$window"
wait_until 'xprop -id "$window" WM_STATE | grep -q Normal' || fail "the window did not come back"
full_screen wm-stroke-back "after the minimise"
for x in $(seq 200 20 700); do
    xdotool mousemove "$x" 550
    sleep 0.02
done
xdotool mousemove 512 700
shot_settled wm-stroke-minimised || fail "the window kept changing"
along=$(changed wm-stroke-start wm-stroke-minimised 280x8+210+396)
above "$along" 0.02 || fail "the stroke before the minimise shows no paint (difference $along)"
below=$(changed wm-stroke-start wm-stroke-minimised 560x12+170+544)
above 0.002 "$below" || fail "moves with no button held painted once the window was back (difference $below)"

# One Ctrl+Z takes the stroke whole; a stroke after it paints.
key_until wm-stroke-undone ctrl+z 'above 0.002 "$(changed wm-stroke-start wm-stroke-undone 300x8+200+396)"' ||
    fail "Ctrl+Z did not take the stroke back whole"
xdotool mousemove 200 480 mousedown 1
for x in $(seq 220 20 700); do
    xdotool mousemove "$x" 480
    sleep 0.02
done
xdotool mouseup 1 mousemove 512 700
shot_until wm-stroke-after 'above "$(changed wm-stroke-start wm-stroke-after 480x8+210+476)" 0.02' ||
    fail "a stroke after the window came back painted nothing"

close_program_unsaved
echo "full screen at $full by the button and by the window manager; the minimised stroke ended (along $along, below $below)"
