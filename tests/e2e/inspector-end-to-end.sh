#!/usr/bin/env bash
# Opens the widget inspector of the test program on a virtual display: Control+Shift+Alt+click on
# a widget shows the panel naming it, an id typed into the search field and "By ID" move it to
# that widget, a drag by a free part moves the panel, Escape closes it; with widget rollover off
# the same click shows the box that asks for it. The program prints the name of every widget the
# panel shows. Usage: PROGRAM SHOT_FOLDER.
set -euo pipefail

source "$(dirname "$0")/xvfb-session.sh"
program=$2
shots=${3:-$(mktemp -d)}
mkdir -p "$shots"
export XMODIFIERS=@im=none
unset GTK_IM_MODULE QT_IM_MODULE SDL_IM_MODULE

start() { start_program '^Inspector$' "$program" "$@"; }
# The colour of a window pixel as RRGGBB.
pixel() { convert "$shots/$1.png" -format "%[hex:u.p{$2,$3}]" info: | cut -c1-6 | tr A-F a-f; }
printed() { grep -qx "$1" "$work/stdout"; }
wait_printed() { wait_until "printed '$1'" || fail "the panel never showed '$1'"; }
# Control+Shift(+Alt) held around a click at a window point: the pauses let the program see the
# pointer, then the keys held, before the click and while it lasts.
inspect_click() {
    xdotool mousemove --window "$window" "$1" "$2"
    sleep 0.3
    xdotool keydown ctrl keydown shift ${3:+keydown alt}
    sleep 0.3
    xdotool click 1
    sleep 0.5
    xdotool ${3:+keyup alt} keyup shift keyup ctrl
}
# inspect_until TEXT X Y [alt]: the inspecting click, again every five seconds while the panel has
# not printed TEXT: on a loaded machine the click can race the keys held around it.
inspect_until() {
    local inspect_again=$((SECONDS + 5))
    inspect_click "$2" "$3" "${4:-}"
    wait_until "printed '$1' || { [ \"\$SECONDS\" -lt \"\$inspect_again\" ] ||
        { inspect_click $2 $3 ${4:-}; inspect_again=\$((SECONDS + 5)); }; false; }" ||
        fail "the panel never showed '$1'"
}

start
shot before
# The knob inside the target pane: the panel opens on it, centred in the window.
inspect_until "Target Knob" 35 35 alt
shot_until opened '[ "$(pixel opened 105 300)" = a0a0b8 ]' || fail "no panel over the window (pixel $(pixel opened 105 300))"
shot_settled opened || fail "the window kept changing as the panel opened"

# The search field (panel x 100 to 390, y 30 to 45; the panel's corner at 100, 75).
xdotool mousemove --window "$window" 250 112 click 1
xdotool type --delay 80 "4242"
shot_until typed '[ "$(changed opened typed 290x15+200+105)" != 0 ]' || fail "the typed id does not show in the search field"
xdotool mousemove --window "$window" 525 112 click 1
wait_printed "Far Widget"
shot_until found '[ "$(changed typed found 1024x768+0+0)" != 0 ]' || fail "the panel did not change for the widget of id 4242"
shot_settled found || fail "the window kept changing after By ID"

# Dragged by a free part (left of its labels) 60 right and 40 down: its left edge goes to x 160.
# The drag goes at a hand's pace, each step seen before the next.
xdotool mousemove --window "$window" 105 275 mousedown 1
sleep 0.3
xdotool mousemove --window "$window" 135 295
sleep 0.3
xdotool mousemove --window "$window" 165 315
sleep 0.3
xdotool mouseup 1
shot_until dragged '[ "$(pixel dragged 150 300)" = 303050 ] && [ "$(pixel dragged 165 340)" = a0a0b8 ]' || true
[ "$(pixel dragged 150 300)" = "303050" ] || fail "the panel did not move away (pixel $(pixel dragged 150 300))"
[ "$(pixel dragged 165 340)" = "a0a0b8" ] || fail "the panel is not where it was dragged (pixel $(pixel dragged 165 340))"

xdotool key Escape
wait_printed "(closed)"
shot_until closed '[ "$(pixel closed 105 300)" = 303050 ]' || fail "the panel did not close (pixel $(pixel closed 105 300))"
close_program

start off
inspect_click 35 35
# SDL shows the box as a window of its own, or the desktop's dialog program when SDL cannot (it
# needs the X server's core fonts), or it goes to the log when neither can.
wanted='To use this feature, WidgetRollover MUST be enabled in the CBackdrop,and the CAppBase heartbeat must be beating.'
box=
wait_until 'grep -qxF "$wanted" "$work/stderr" ||
    { box=$(xdotool search --onlyvisible --name "^Message\$" 2>/dev/null | head -1) && [ -n "$box" ]; }' || true
if [ -n "$box" ]; then
    # The box is kept once it shows more than its background.
    wait_until 'xwd -id "$box" -silent | convert xwd:- "$shots/rollover-off.png" &&
        [ "$(convert "$shots/rollover-off.png" -format %k info:)" -gt 2 ]' || fail "the box shows nothing"
    # Keys sent to a window are ignored by some toolkits: the box takes the focus and the key.
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
    wait_until '! xdotool search --onlyvisible --name "^Message\$" >/dev/null 2>&1' || fail "Return left the box up"
    # Without a window manager nothing gives the focus back to the program's window.
    xdotool windowfocus --sync "$window" 2>/dev/null || true
else
    grep -qxF "$wanted" "$work/stderr" || fail "no box appeared"
fi
shot rollover-off-window
printed "Target Knob" && fail "the panel opened with rollover off"
close_program
echo "the panel showed the knob, then the widget of id 4242, followed a drag and closed on Escape; with rollover off the box" \
     "appeared; screenshots in $shots"
