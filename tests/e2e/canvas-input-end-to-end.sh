#!/usr/bin/env bash
# Drags across the test program's painting view on a virtual display with xdotool: the window's
# pixels change along the path and not away from it, and the program, closed with Alt+F4, reports
# paint in the cells under the whole path. Usage: PROGRAM SHOT_FOLDER.
set -euo pipefail

source "$(dirname "$0")/xvfb-session.sh"
program=$2
shots=${3:-$(mktemp -d)}
mkdir -p "$shots"
start_program '^Canvas input$' "$program"

shot_settled before || fail "the window kept changing"
# The view stands at (30, 30) of the window and the painting fills it: a drag along row 100 of
# the painting from cell 20 to cell 280, at a hand's pace.
xdotool mousemove --window "$window" 50 130
sleep 0.2
xdotool mousedown 1
for x in $(seq 50 10 310); do
    xdotool mousemove --window "$window" "$x" 130
    sleep 0.03
done
xdotool mouseup 1
shot_until after 'awk "BEGIN { exit !($(changed before after 260x16+50+122) > 0.05) }"' || true

along=$(changed before after 260x16+50+122)
away=$(changed before after 260x30+50+190)
awk "BEGIN { exit !($along > 0.05) }" || fail "the path shows no paint (difference $along)"
awk "BEGIN { exit !($away < 0.01) }" || fail "paint away from the path (difference $away)"

close_program
mapfile -t counts <"$work/stdout"
[ "${#counts[@]}" -eq 3 ] || fail "the program reported ${#counts[@]} counts"
for count in "${counts[@]}"; do
    [ "$count" -gt 200 ] || fail "a band of the path holds only $count painted cells (${counts[*]})"
done
echo "painted cells per band: ${counts[*]}; window difference along $along, away $away"
