#!/usr/bin/env bash
# The colour panes as a user meets them in the program, on a virtual display: the colour picker
# in the bottom-right corner and the swatch pane with its five empty places at the right edge.
# A click on the wheel colours both swatches with the colour the picker's formulas give for that
# point, and the next stroke is painted in it; the mode button's menu switches the wheel to red
# and green, and the shine checkbox shows its mark. The sampler picks the stroke's colour under the
# pointer. A painting whose colour list holds 262,144 colours opens with the pane showing the
# first of them across the window, its handle inside the window; the handle slides the pane aside,
# and Ctrl+S after a stroke saves every colour in order. Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
cd "$work"

pixel() { convert "$shots/$1.png" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:; }
# near A B: the two "r g b" triples differ by at most 1 in each channel.
near() {
    python3 -c "import sys; a=[int(v) for v in '$1'.split()]; b=[int(v) for v in '$2'.split()]; \
sys.exit(0 if all(abs(x-y)<=1 for x,y in zip(a,b)) else 1)"
}
# The colour of a wheel drag at wheel pixel (X, Y) of a 130-pixel wheel in the hue-and-saturation
# mode, from the start colour 0xFF6060FF, worked out in single precision as the picker does.
expected_wheel_colour() {
    python3 - "$1" "$2" <<'PY'
import math, struct, sys
f = lambda v: struct.unpack('f', struct.pack('f', v))[0]
x, y, w = int(sys.argv[1]), int(sys.argv[2]), 130
dx, dy = w - x - 1, w - y - 1
hue = f(f(f(math.atan2(dy, dx)) / f(math.pi)) * 2)
rho = min(max(f(f(f(math.sqrt(dx * dx + dy * dy)) - 24) / 105), 0.0), 1.0)
r, g, b = f(0x60 / 255), f(0x60 / 255), f(1.0)
light = f(f(max(r, g, b) + min(r, g, b)) * f(0.5))
q = f(light + rho - f(light * rho)) if light > 0.5 else f(light * f(1 + rho))
p = f(f(2 * light) - q)
def v(t):
    t = f(t)
    t = f(t - 1) if t > 1 else f(t + 1) if t < 0 else t
    if t < f(1 / 6): return f(p + f(f(f(q - p) * 6) * t))
    if t < 0.5: return q
    if t < f(2 / 3): return f(p + f(f(f(q - p) * f(f(2 / 3) - t)) * 6))
    return p
third = f(1 / 3)
print(*(round(f(f(v(t) * 255) + f(0.4))) for t in (f(hue + third), hue, f(hue - third))))
PY
}

start_program "^Kostrel 2 - Untitled\$" "$program"
# The splash stays up a while after the main window came; the panes are looked at once it went.
splash_gone "^Kostrel 2\$"
# The picker's root is 200 x 200 with its bottom-right corner 3 pixels beyond the window's; the
# wheel is its 130 x 130 image at (64, 64), the first swatch 44 x 40 at (70, 16).
read -r width height < <(xdotool getwindowgeometry "$window" | awk '/Geometry/ { split($2, s, "x"); print s[1], s[2] }')
left=$((width + 3 - 200))
top=$((height + 3 - 200))
wheel_x=$((left + 64))
wheel_y=$((top + 64))
swatch_x=$((left + 92))
swatch_y=$((top + 36))
# The swatch pane: five empty places in a column at the right edge, under its top button. Every
# fourth row of the column 17 pixels from the right edge is looked at.
places() {
    convert "$shots/$1.png" -crop "1x$height+$((width - 17))+0" -depth 8 txt:- |
        awk -F'[,:() ]+' 'NR > 1 && $2 % 4 == 0 && $3 == 46 && $4 == 46 && $5 == 72 { n++ } END { print n + 0 }'
}
xdotool mousemove 400 200
shot_until colour-start '[ "$(places colour-start)" -ge 20 ]' || true
places=$(places colour-start)
[ "$places" -ge 20 ] || fail "the swatch pane shows no empty places ($places rows of place colour)"

# A click on the wheel at its pixel (59, 59).
xdotool mousemove $((wheel_x + 59)) $((wheel_y + 59)) click 1
xdotool mousemove 400 200
want=$(expected_wheel_colour 59 59)
shot_until colour-picked 'near "$(pixel colour-picked "$swatch_x" "$swatch_y")" "$want"' || true
got=$(pixel colour-picked "$swatch_x" "$swatch_y")
near "$got" "$want" || fail "the swatch shows $got, not $want"

# The next stroke takes the colour: along its middle green and blue stand well above red.
xdotool mousemove 200 300 mousedown 1
for x in $(seq 200 20 600); do
    xdotool mousemove "$x" 300
    sleep 0.02
done
xdotool mouseup 1
stroke_colour() {
    read -r red green blue < <(convert "$shots/colour-stroke.png" -crop 300x10+250+295 -resize 1x1! \
        -format "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]\n" info:)
}
shot_until colour-stroke 'stroke_colour; [ "$green" -gt $((red + 60)) ] && [ "$blue" -gt $((red + 60)) ]' || true
stroke_colour
[ "$green" -gt $((red + 60)) ] && [ "$blue" -gt $((red + 60)) ] ||
    fail "the stroke is not in the picked colour ($red $green $blue)"

# The sampler (key 9) takes the painting's colour under the pointer, never its own cursor's: a
# press held a moment and released without moving makes the stroke's colour there the current one.
xdotool mousemove 900 100
shot_settled colour-before-sampler || fail "the window kept changing after the stroke"
want=$(pixel colour-before-sampler 400 300)
xdotool key 9
xdotool mousemove 400 300
sleep 0.3
xdotool mousedown 1
sleep 0.3
xdotool mouseup 1
shot_until colour-sampled 'near "$(pixel colour-sampled "$swatch_x" "$swatch_y")" "$want"' || true
got=$(pixel colour-sampled "$swatch_x" "$swatch_y")
near "$got" "$want" || fail "the sampler picked $got, not the stroke's $want"

# The mode button's menu opens to the left and up; its fourth entry is red and green.
xdotool mousemove $((left + 155)) $((top + 25)) click 1
menu_pixels() {
    convert "$shots/${1:-colour-menu}.png" -crop 200x150+$((left - 80))+$((top - 170)) -fill black -opaque "#404064" \
        -fill white +opaque black -format '%[fx:mean]' info:
}
shot_until colour-menu 'awk "BEGIN { exit !($(menu_pixels) < 0.5) }"' ||
    fail "no menu opened above the mode button"
shot_settled colour-menu || fail "the window kept changing as the menu opened"
# The pointer rests on the entry a moment before the click, so that a loaded machine's program
# sees it there; a click that the menu did not take goes again while the menu stays open.
red_green() {
    near "$(pixel colour-red-green $((wheel_x + 59)) $((wheel_y + 59)))" "128 180 0" &&
        near "$(pixel colour-red-green $((wheel_x + 69)) $((wheel_y + 129)))" "0 87 0"
}
for _ in $(seq 3); do
    xdotool mousemove $((left - 20)) $((top - 89))
    sleep 0.2
    xdotool click 1
    xdotool mousemove 400 200
    patience=8 shot_until colour-red-green red_green && break
    shot_settled colour-menu-after || true
    awk "BEGIN { exit !($(menu_pixels colour-menu-after) < 0.5) }" || break
done
# Mode 3: red along the angle, green along the radius, no blue; (69, 129) lies at angle 0.
near "$(pixel colour-red-green $((wheel_x + 59)) $((wheel_y + 59)))" "128 180 0" ||
    fail "the wheel was not redrawn in the red-green mode"
near "$(pixel colour-red-green $((wheel_x + 69)) $((wheel_y + 129)))" "0 87 0" ||
    fail "the wheel's bottom row is not the red-green mode's"

# The shine checkbox shows its mark. It is clicked once the menu has gone and the window settled,
# and the pointer stays on it a moment, as a hand's click does.
shot_settled colour-before-shine || fail "the window kept changing after the menu"
before=$(pixel colour-before-shine $((left + 129)) $((top + 49)))
xdotool mousemove $((left + 129)) $((top + 49)) click 1
sleep 0.3
xdotool mousemove 400 200
shot_until colour-shine '[ "$(pixel colour-shine $((left + 129)) $((top + 49)))" != "$before" ]' ||
    fail "the shine checkbox shows no mark"

# The stroke changed the painting: Alt+F4 asks to save it, "n" leaves without saving.
close_program_unsaved

# A painting saved as it starts, then given a colour list of 262,144 colours, entry i being
# 0xFF000000 | (i * 2654435761 mod 2^24), in a chunk of its own at the file's end.
use_standin_dialog
echo "$work/long.ptg" >"$work/answer"
start_program "^Kostrel 2 - Untitled\$" "$program"
splash_gone "^Kostrel 2\$"
xdotool key ctrl+s
wait_until '[ -s "$work/long.ptg" ]' || fail "Ctrl+S saved no painting"
close_program
python3 - "$work/long.ptg" "$work/list" <<'PY'
import struct, sys
colours = b"".join(struct.pack("<I", 0xFF000000 | (i * 2654435761 & 0xFFFFFF)) for i in range(262144))
payload = struct.pack("<I", 262144) + colours
chunk = struct.pack("<Iq", 0xFF00308F, len(payload)) + payload
open(sys.argv[2], "wb").write(chunk)
open(sys.argv[1], "ab").write(chunk)
PY
entry() { printf '%d %d %d' $(($1 * 2654435761 >> 16 & 255)) $(($1 * 2654435761 >> 8 & 255)) $(($1 * 2654435761 & 255)); }
# In 1024 x 768, above the picker's 200 rows, columns of 19 places (the first place of the first
# column free) 29 pixels apart: 34 columns fit, the pane's left edge 16 pixels into the window and
# its top 10 pixels down, so that the middle of place i lies at (50 + 29 c, 29 + 29 r) for
# i + 1 = 19 c + r, and the last one shown is 644.
start_program "^Kostrel 2 - long\$" "$program" "$work/long.ptg"
splash_gone "^Kostrel 2\$"
xdotool mousemove 600 700
shot_until colour-long '[ "$(pixel colour-long 1007 551)" = "$(entry 644)" ]' ||
    fail "the last place the window has room for shows $(pixel colour-long 1007 551), not $(entry 644)"
for place in "0 50 58" "17 50 551" "18 79 29" "300 485 493"; do
    read -r i x y <<<"$place"
    [ "$(pixel colour-long "$x" "$y")" = "$(entry "$i")" ] || fail "place $i shows $(pixel colour-long "$x" "$y")"
done
# The handle, in the middle of the pane's left edge, slides it aside: 12 pixels of it stay.
xdotool mousemove 27 289 click 1
xdotool mousemove 600 700
shot_until colour-long-aside '[ "$(pixel colour-long-aside 485 493)" != "$(entry 300)" ]' ||
    fail "the handle did not slide the pane aside"
shot_settled colour-long-aside || fail "the window kept changing as the pane slid aside"
[ "$(pixel colour-long-aside 1007 551)" != "$(entry 644)" ] || fail "the pane stayed over the right edge"
# A stroke with the first tool changes the painting, which Ctrl+S then saves again.
xdotool key 1
drag_stroke
inode=$(stat -c %i "$work/long.ptg")
xdotool key ctrl+s
wait_until '[ "$(stat -c %i "$work/long.ptg")" != "$inode" ]' || fail "Ctrl+S did not save the painting again"
close_program
python3 -c 'import sys; sys.exit(open(sys.argv[1], "rb").read().count(open(sys.argv[2], "rb").read()) != 1)' \
    "$work/long.ptg" "$work/list" || fail "the saved painting does not hold the colour list whole"
echo "colour panes end to end: passed"
