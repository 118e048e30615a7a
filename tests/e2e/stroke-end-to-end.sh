#!/usr/bin/env bash
# Strokes follow the hand, on a virtual display: a pencil's zigzag of sixteen corners sent faster
# than the program paints passes through every corner, and a chalk stroke released with the
# pointer sent on at once to the menu bar paints nothing after the release; taps paint a dot, and
# Ctrl+Z on the Russian layout takes the last back; drags of the view sent at once go the whole
# way. Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"
cd "$work"

above() { awk "BEGIN { exit !($1 > $2) }"; }
# A square of 16 pixels around a point.
around() { echo "16x16+$(($1 - 8))+$(($2 - 8))"; }

start_program "^$product - Untitled\$" "$program"
splash_gone "^$product\$"
xdotool key 2
xdotool mousemove 512 16
shot_settled stroke-start || fail "the window kept changing"

# The pencil's zigzag, each corner one move, all in one call: nothing waits between them.
zigzag=(mousemove 200 180 mousedown 1)
corners=()
for i in $(seq 1 16); do
    x=$((200 + 30 * i))
    y=$((i % 2 ? 100 : 180))
    zigzag+=(mousemove "$x" "$y")
    corners+=("$x $y")
done
xdotool "${zigzag[@]}" mouseup 1 mousemove 512 16
# The corners are looked at once the last of them shows paint and the window has settled.
shot_until stroke-zigzag 'above "$(changed stroke-start stroke-zigzag "$(around ${corners[-1]})")" 0.02' || true
shot_settled stroke-zigzag || fail "the window kept changing"
for corner in "${corners[@]}"; do
    read -r x y <<<"$corner"
    difference=$(changed stroke-start stroke-zigzag "$(around "$x" "$y")")
    above "$difference" 0.02 || fail "no paint at the zigzag's corner $x, $y (difference $difference)"
done

# A chalk stroke at a hand's pace, then the release and the pointer on the menu bar in one call:
# the band ends at the release, and nothing is painted on the way to the bar.
xdotool key 5
xdotool mousemove 200 460 mousedown 1
for x in $(seq 225 25 700); do
    xdotool mousemove "$x" 460
    sleep 0.01
done
xdotool mouseup 1 mousemove 512 16
shot_until stroke-released 'above "$(changed stroke-zigzag stroke-released 480x8+210+456)" 0.02' || true
shot_settled stroke-released || fail "the window kept changing"
along=$(changed stroke-zigzag stroke-released 480x8+210+456)
above "$along" 0.02 || fail "the stroke shows no paint (difference $along)"
for point in "650 350" "606 238" "560 125"; do
    read -r x y <<<"$point"
    difference=$(changed stroke-zigzag stroke-released "$(around "$x" "$y")")
    above 0.002 "$difference" || fail "paint at $x, $y on the pointer's way after the release (difference $difference)"
done

# Taps: a press and release with no move between, sent together as a touchpad or a quick pen
# sends them, each paint a dot with the oil brush, the pencil and the chalk, and each is an undo
# step of its own.
tap_x=300
previous=stroke-released
for tool in 1 2 5; do
    xdotool key "$tool"
    if [ "$tool" = 1 ]; then
        xdotool mousemove "$tap_x" 620 mousedown 1 mouseup 1 mousemove 512 16
    else
        xdotool mousemove "$tap_x" 620 click 1 mousemove 512 16
    fi
    shot_until "tap-$tool" 'above "$(changed "$previous" "tap-$tool" "$(around "$tap_x" 620)")" 0.003' || true
    shot_settled "tap-$tool" || fail "the window kept changing"
    difference=$(changed "$previous" "tap-$tool" "$(around "$tap_x" 620)")
    above "$difference" 0.003 || fail "the tap with tool $tool at $tap_x, 620 left no mark (difference $difference)"
    previous="tap-$tool"
    tap_x=$((tap_x + 150))
done
# Ctrl+Z on the Russian layout, with the key of Z by its key code: the key's Latin letter counts.
setxkbmap ru
xdotool key ctrl+52
shot_until tap-undone 'above 0.002 "$(changed tap-2 tap-undone "$(around 600 620)")"' || true
shot_settled tap-undone || fail "the window kept changing"
setxkbmap us
difference=$(changed tap-2 tap-undone "$(around 600 620)")
above 0.002 "$difference" || fail "the undo left the chalk's dot (difference $difference)"
difference=$(changed tap-1 tap-undone "$(around 450 620)")
above "$difference" 0.003 || fail "the undo took the pencil's dot too (difference $difference)"

# The mean difference between an area of one screenshot and the same area of another shifted by
# DX, DY: 0 where the painting moved by exactly that much.
shifted() {
    local w h x y
    IFS='x+' read -r w h x y <<<"$3"
    convert \( "$shots/$1.png" -crop "${w}x${h}+${x}+${y}" +repage \) \
        \( "$shots/$2.png" -crop "${w}x${h}+$((x + $4))+$((y + $5))" +repage \) \
        -compose difference -composite -colorspace gray -format '%[fx:mean]' info:
}

# Drags sent in one call, faster than the view follows: the move tool's drag and the secondary
# button's drag move the painting the whole way, and the secondary button's is no click.
xdotool key m
xdotool mousemove 800 500 mousedown 1 mousemove 850 550 mousemove 900 600 mouseup 1 mousemove 512 16
shot_until moved 'above 0.01 "$(shifted tap-undone moved 120x120+180+60 100 100)"' || true
shot_settled moved || fail "the window kept changing"
difference=$(shifted tap-undone moved 120x120+180+60 100 100)
above 0.01 "$difference" || fail "the move tool's drag sent at once did not move the painting by 100, 100 (difference $difference)"
xdotool mousemove 500 300 mousedown 3 mousemove 600 350 mousemove 700 400 mouseup 3 mousemove 512 16
shot_until dragged 'above 0.01 "$(shifted moved dragged 120x120+280+160 200 100)"' || true
shot_settled dragged || fail "the window kept changing"
difference=$(shifted moved dragged 120x120+280+160 200 100)
above 0.01 "$difference" || fail "the secondary button's drag sent at once did not move the painting by 200, 100 (difference $difference)"

close_program_unsaved
echo "the zigzag's 16 corners hold paint; nothing after the release (along the stroke $along); taps paint; drags sent at once move"
