#!/usr/bin/env bash
# The canvas navigation pane and the tracing controls as a user meets them, on a virtual display:
# a stroke shows in the navigation thumbnail; the zoom button lights and a drag on the painting
# zooms; the tracing button loads the image a stand-in file dialog answers, and then opens the
# tracing controls with the navigation pane gone; the placement menu's "Tile" and a drag on the
# painting move the tiled image; Esc closes the controls and the pane comes back. A painting saved
# before the image was loaded opens without it: the colour picker shows its wheel again and 't'
# shows no image. Ctrl+T loads the image again with the pointer resting on the menu bar: it shows,
# and the busy pane goes. Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"

# The stand-in file dialog answers the path in $work/answer, else the tracing image.
mkdir -p "$work/bin"
convert -size 90x60 xc:'#2050C0' -fill '#E04020' -draw 'rectangle 0,0 44,29' -fill '#F0D020' \
    -draw 'rectangle 45,30 89,59' "$work/tracing.png"
cat >"$work/bin/zenity" <<STANDIN
#!/bin/sh
echo "\$@" >>"$work/zenity.log"
cat "$work/answer" 2>/dev/null || echo "$work/tracing.png"
STANDIN
chmod +x "$work/bin/zenity"
export PATH="$work/bin:$PATH"
cd "$work"

above() { awk "BEGIN { exit !($1 > $2) }"; }
# The pointer rests a moment before the click, so that the program sees it there.
click() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool click 1
}

start_program "^Kostrel 2 - Untitled\$" "$program"
splash_gone "^Kostrel 2\$"
xdotool mousemove 900 100

# A painting of the screen's 1024 x 768 gives an 80 x 60 thumbnail: the frame (166 x 95) stands at
# the foot of the root (186 wide, centred at x 419), 3 pixels below the window's edge. In the
# frame, the thumbnail is at (10, 25) and the buttons in the column 72 pixels from its right
# edge: move, zoom and rotate 20 x 20 at y 22, the tracing button 64 x 18 at y 49.
frame_x=429
frame_y=676
thumbnail="80x60+$((frame_x + 10))+$((frame_y + 25))"
zoom_x=$((frame_x + 166 - 30 - 10))
tool_y=$((frame_y + 22 + 10))
tracing_x=$((frame_x + 166 - 8 - 32))
tracing_y=$((frame_y + 49 + 9))
shot_settled nav-start || fail "the window kept changing"

# A stroke on the painting shows in the thumbnail; it is drawn at a hand's pace.
xdotool mousemove 150 300
sleep 0.3
xdotool mousedown 1
sleep 0.2
for x in $(seq 150 20 850); do
    xdotool mousemove "$x" 300
    sleep 0.05
done
xdotool mouseup 1
xdotool mousemove 900 100
shot_until nav-stroke 'stroke=$(changed nav-start nav-stroke "$thumbnail"); above "$stroke" 0.003' ||
    fail "the stroke did not show in the thumbnail (difference $stroke)"
shot_settled nav-stroke || fail "the window kept changing after the stroke"
# Saved as plain.ptg, then kept as bare.ptg, a painting without a tracing image.
echo "$work/plain.ptg" >"$work/answer"
press_until ctrl+s '[ -s "$work/plain.ptg" ]' || fail "Ctrl+S saved no plain.ptg"
wait_until 'xdotool search --name "^Kostrel 2 - plain\$" >/dev/null 2>&1' || fail "the title did not follow the save"
cp "$work/plain.ptg" "$work/bare.ptg"
rm "$work/answer" "$work/zenity.log"
xdotool mousemove 900 100
shot_settled nav-saved || fail "the window kept changing after the save"

# The zoom button lights as the zoom tool becomes current, and a press on the painting dragged to
# the right zooms in.
click "$zoom_x" "$tool_y"
xdotool mousemove 900 100
shot_until nav-zoom-tool 'lit=$(changed nav-saved nav-zoom-tool "20x20+$((zoom_x - 10))+$((tool_y - 10))"); above "$lit" 0.05' ||
    fail "the zoom button did not light (difference $lit)"
shot_settled nav-zoom-tool || fail "the window kept changing after the zoom button"
xdotool mousemove 500 300
xdotool mousedown 1
for x in $(seq 500 20 700); do
    xdotool mousemove "$x" 300
    sleep 0.03
done
xdotool mouseup 1
xdotool mousemove 900 100
shot_until nav-zoomed 'zoomed=$(changed nav-zoom-tool nav-zoomed 1024x600+0+0); above "$zoomed" 0.01' ||
    fail "the zoom tool did not zoom (difference $zoomed)"
shot_settled nav-zoomed || fail "the window kept changing after the zoom"

# The tracing button loads the image the file dialog answers; the painting shows it.
click "$tracing_x" "$tracing_y"
xdotool mousemove 900 100
wait_until '[ -s "$work/zenity.log" ]' || fail "the tracing button asked for no file"
shot_until nav-traced 'traced=$(changed nav-zoomed nav-traced 1024x600+0+0); above "$traced" 0.01' ||
    fail "the tracing image did not show (difference $traced)"
shot_settled nav-traced || fail "the window kept changing after the tracing image"

# Now the button opens the tracing controls, and the navigation pane goes.
click "$tracing_x" "$tracing_y"
xdotool mousemove 900 100
shot_until nav-controls 'gone=$(changed nav-traced nav-controls "166x92+$frame_x+$frame_y"); above "$gone" 0.05' ||
    fail "the tracing controls did not replace the navigation pane (difference $gone)"
shot_settled nav-controls || fail "the window kept changing after the tracing controls opened"

# The tracing controls stand 24 pixels above the window's foot, centred: 150 high and, with the
# preview as wide as the thumbnail, 80 + 84 + 119 + 30 = 313 wide. The placement button is at
# (110, 20) in the frame, 84 x 28; its menu opens upwards from the button's bottom-right
# corner: 10 pixels of margin, then five items of 24, a separator of 9 and the reset item.
controls_x=$((512 - 313 / 2))
controls_y=$((768 - 24 - 150))
placement_x=$((controls_x + 110 + 42))
placement_y=$((controls_y + 20 + 14))
click "$placement_x" "$placement_y"
shot_until nav-menu 'above "$(changed nav-controls nav-menu 1024x768+0+0)" 0' || fail "the placement button opened no menu"
shot_settled nav-menu || fail "the window kept changing after the menu opened"
menu_bottom=$((controls_y + 20 + 28))
tile_y=$((menu_bottom - 10 - 24 - 9 - 12))
click $((controls_x + 110 + 84 + 40)) "$tile_y"
xdotool mousemove 900 100
shot_until nav-tiled 'tiled=$(changed nav-controls nav-tiled 1024x580+0+0); above "$tiled" 0.01' ||
    fail "choosing Tile changed nothing (difference $tiled)"
shot_settled nav-tiled || fail "the window kept changing after Tile"

# A drag on the painting moves the tiled image.
xdotool mousemove 300 200
xdotool mousedown 1
for step in $(seq 1 10); do
    xdotool mousemove $((300 + step * 7)) $((200 + step * 5))
    sleep 0.03
done
xdotool mouseup 1
xdotool mousemove 900 100
shot_until nav-moved 'moved=$(changed nav-tiled nav-moved 1024x580+0+0); above "$moved" 0.01' ||
    fail "the drag did not move the tiled image (difference $moved)"
shot_settled nav-moved || fail "the window kept changing after the drag"

# Esc closes the controls and the navigation pane comes back.
xdotool key Escape
shot_until nav-closed 'back=$(changed nav-moved nav-closed "166x92+$frame_x+$frame_y"); above "$back" 0.05' ||
    fail "the navigation pane did not come back (difference $back)"

# The painting saved without a tracing image opens without one: the save prompt's "n", then the
# colour picker shows its wheel as before the image came, and 't' shows no image.
shot_settled nav-closed || fail "the window kept changing as the navigation pane came back"
echo "$work/bare.ptg" >"$work/answer"
for i in $(seq 300); do
    if [ $((i % 100)) -eq 1 ]; then
        xdotool key ctrl+o
        sleep 1
        xdotool key n
    fi
    xdotool search --name "^Kostrel 2 - bare\$" >/dev/null 2>&1 && break
    sleep 0.1
done
xdotool search --name "^Kostrel 2 - bare\$" >/dev/null 2>&1 || fail "Ctrl+O did not open bare.ptg"
xdotool mousemove 900 100
# The title changes while the painting is still being read: the step waits for the picker and
# for the progress pane in the middle to go.
shot_until nav-opened 'picker=$(changed nav-start nav-opened 190x190+830+575); ! above "$picker" 0.01 &&
    ! above "$(changed nav-saved nav-opened 200x80+412+345)" 0.01' || true
shot_settled nav-opened || fail "the window kept changing after the open"
picker=$(changed nav-start nav-opened 190x190+830+575)
above "$picker" 0.01 && fail "the colour picker does not show its wheel after the open (difference $picker)"
xdotool key t
sleep 0.5
shot_settled nav-opened-t || fail "the window kept changing after 't'"
shown=$(changed nav-opened nav-opened-t 1024x580+0+0)
above "$shown" 0 && fail "'t' showed a tracing image over a painting opened without one (difference $shown)"

# Ctrl+T with the pointer resting on the menu bar, where nothing draws the window again: the image
# shows, and the busy pane over the middle has gone as it goes when the pointer crosses the painting.
rm -f "$work/answer" "$work/zenity.log"
xdotool mousemove 470 16
press_until ctrl+t '[ -s "$work/zenity.log" ]' || fail "Ctrl+T asked for no file"
shot_until nav-reloaded 'reloaded=$(changed nav-opened-t nav-reloaded 1024x580+0+0); above "$reloaded" 0.01' ||
    fail "Ctrl+T showed no tracing image (difference $reloaded)"
shot_settled nav-reloaded || fail "the window kept changing after Ctrl+T"
xdotool mousemove 900 100
sleep 0.3
xdotool mousemove 470 16
shot_settled nav-reloaded-crossed || fail "the window kept changing after the pointer crossed the painting"
busy=$(changed nav-reloaded nav-reloaded-crossed 160x60+432+354)
above "$busy" 0 && fail "the busy pane stayed after the load (difference $busy)"

# Alt+F4 asks about the changed painting; "n" closes without saving.
close_program_unsaved
echo "navigation end to end: passed"
