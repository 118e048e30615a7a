#!/usr/bin/env bash
# Strokes follow the hand, on a virtual display: a pencil's zigzag of sixteen corners sent faster
# than the program paints passes through every corner, and a chalk stroke released with the
# pointer sent on at once to the menu bar paints nothing after the release. Usage: PROGRAM
# [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"
cd "$work"

# The mean difference of a window area between two screenshots, 0..1.
changed() {
    convert "$shots/$1.png" "$shots/$2.png" -crop "$3" -compose difference -composite -colorspace gray \
        -format '%[fx:mean]' info:
}
above() { awk "BEGIN { exit !($1 > $2) }"; }
# A square of 16 pixels around a point.
around() { echo "16x16+$(($1 - 8))+$(($2 - 8))"; }

start_program "^$product - Untitled\$" "$program"
wait_gone "^$product\$" || fail "the splash stayed on screen"
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
shot_settled stroke-released || fail "the window kept changing"
along=$(changed stroke-zigzag stroke-released 480x8+210+456)
above "$along" 0.02 || fail "the stroke shows no paint (difference $along)"
for point in "650 350" "606 238" "560 125"; do
    read -r x y <<<"$point"
    difference=$(changed stroke-zigzag stroke-released "$(around "$x" "$y")")
    above 0.002 "$difference" || fail "paint at $x, $y on the pointer's way after the release (difference $difference)"
done

close_program_unsaved
echo "the zigzag's 16 corners hold paint; nothing after the release (along the stroke $along)"
