#!/usr/bin/env bash
# The menu bar as a user meets it, on a virtual display: it stands at the top of the window,
# centred; a click on the File title opens its menu, and Save As there writes the painting where
# the stand-in file dialog says; a click on the zoom display, "250" and Enter zoom the view in and
# the display shows the new percentage; the About entry of the Help menu opens the about pane,
# which Escape closes. Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
program=$(realpath "$2")
shots=${3:-$(dirname "$program")/../e2e}
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
product="Kostrel 2"

# The stand-in file dialog notes what it was asked and answers the path in $work/answer.
mkdir -p "$work/bin"
cat >"$work/bin/zenity" <<STANDIN
#!/bin/sh
echo "\$@" >>"$work/zenity.log"
cat "$work/answer"
STANDIN
chmod +x "$work/bin/zenity"
export PATH="$work/bin:$PATH"
cd "$work"

# The mean brightness of a window area, 0..1, and the mean difference of an area between two
# screenshots.
brightness() { convert "$shots/$1.png" -crop "$2" -colorspace gray -format '%[fx:mean]' info:; }
changed() {
    convert "$shots/$1.png" "$shots/$2.png" -crop "$3" -compose difference -composite -colorspace gray \
        -format '%[fx:mean]' info:
}
above() { python3 -c "import sys; sys.exit(0 if $1 > $2 else 1)"; }

# The bar of four titles is 588 pixels wide, centred on the 1024-pixel window and 6 pixels above
# its top: the titles stand at 230, 288, 346 and 404, each 56 wide, from y 4 to 28; the zoom
# display from x 589 to 639.
start_program "^$product - Untitled\$" "$program"
sleep 2
xdotool mousemove 900 650
sleep 0.3
shot menubar-start
above 0.4 "$(brightness menubar-start 560x24+232+4)" || fail "no dark bar at the top centre of the window"
above "$(brightness menubar-start 150x24+30+4)" 0.6 || fail "the bar reaches the window's left part"
above "$(brightness menubar-start 150x24+850+4)" 0.6 || fail "the bar reaches the window's right part"

# File, then Save As (the fifth row: three entries and a separator above it).
xdotool mousemove 258 16 click 1
sleep 0.7
shot menubar-file
above "$(changed menubar-start menubar-file 240x200+232+40)" 0.05 || fail "the File title opened no menu"
echo "$work/menubar.ptg" >"$work/answer"
xdotool mousemove 300 136 click 1
for _ in $(seq 200); do
    [ -s "$work/menubar.ptg" ] && break
    sleep 0.1
done
[ -s "$work/menubar.ptg" ] || fail "Save As wrote no painting"
grep -q -- "--save" "$work/zenity.log" || fail "Save As asked no save dialog"
xdotool search --sync --onlyvisible --name "^$product - menubar" >/dev/null || fail "the title does not name the saved painting"
xdotool mousemove 900 650
sleep 0.5
shot menubar-saved

# The zoom display takes a typed percentage.
xdotool mousemove 614 16 click 1
sleep 0.5
xdotool type 250
xdotool key Return
xdotool mousemove 900 650
sleep 0.7
shot menubar-zoomed
above "$(changed menubar-saved menubar-zoomed 1024x700+0+60)" 0.01 || fail "the typed zoom left the view as it was"
above "$(changed menubar-saved menubar-zoomed 50x20+589+6)" 0.02 || fail "the zoom display kept its text"

# Help, then About (the sixth row: five entries and a separator above it); Escape closes it.
# Each step waits for what it shows, so that a slow build keeps up.
xdotool mousemove 432 16 click 1
for _ in $(seq 50); do
    sleep 0.2
    shot menubar-help
    above "$(changed menubar-zoomed menubar-help 200x140+420+40)" 0.02 && break
done
above "$(changed menubar-zoomed menubar-help 200x140+420+40)" 0.02 || fail "the Help title opened no menu"
xdotool mousemove 480 160 click 1
xdotool mousemove 900 650
for _ in $(seq 50); do
    sleep 0.2
    shot menubar-about
    above "$(changed menubar-zoomed menubar-about 400x400+560+180)" 0.05 && break
done
above "$(changed menubar-zoomed menubar-about 400x400+560+180)" 0.05 || fail "the About entry showed no pane"
xdotool key Escape
for _ in $(seq 50); do
    sleep 0.2
    shot menubar-after-about
    above 0.01 "$(changed menubar-zoomed menubar-after-about 1024x768+0+0)" && break
done
above 0.01 "$(changed menubar-zoomed menubar-after-about 1024x768+0+0)" || fail "Escape left the about pane up"

close_program
echo "menu bar: end to end passed"
