#!/usr/bin/env bash
# A painting whose undo data has lost its folder, on a virtual display: the first stroke after the
# folder went brings one box, saying that undo has stopped; Ctrl+S then saves the painting with the
# stroke, a second stroke brings no box and is saved by Ctrl+S too, and Alt+F4 after a third stroke
# asks whether to save. The saved painting opens again as it was after the second stroke.
# Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "${3:-}"
product="Kostrel 2"
box_title="Cannot Open File"

# The stand-in dialog program notes what it was asked; a file dialog answers the path in
# $work/answer, a box is shown by the real one.
mkdir -p "$work/bin" "$work/undo-data"
cat >"$work/bin/zenity" <<STANDIN
#!/bin/sh
echo "\$@" >>"$work/zenity.log"
case " \$* " in
*" --save "*) cat "$work/answer" ;;
*) exec /usr/bin/zenity "\$@" ;;
esac
STANDIN
chmod +x "$work/bin/zenity"
export PATH="$work/bin:$PATH"
: >"$work/zenity.log"
cd "$work"

above() { awk "BEGIN { exit !($1 > $2) }"; }
screen() { xwd -root -silent | convert xwd:- "$shots/$1.png"; }
saved() { md5sum <"$work/painting.ptg"; }
# The calls of the stand-in that were no file dialog: boxes.
boxes() { grep -c -v -E -- "--save|--file-selection" "$work/zenity.log" || true; }
# drag_at Y: a left-button drag from 200 to 700 at the height Y, then the pointer below the painting.
drag_at() {
    xdotool mousemove 200 "$1" mousedown 1
    local x
    for x in $(seq 220 40 700); do
        xdotool mousemove "$x" "$1"
        sleep 0.02
    done
    xdotool mouseup 1 mousemove 700 740
}

start_program "^$product - Untitled\$" env TMPDIR="$work/undo-data" "$program"
splash_gone "^$product\$"
# The painting is saved once first, so that Ctrl+S later writes it only when it changed.
echo "$work/painting.ptg" >"$work/answer"
press_until ctrl+s '[ -s "$work/painting.ptg" ]' || fail "Ctrl+S wrote no painting"
rm -r "$work/undo-data"
xdotool mousemove 700 740
shot_settled undo-blank || fail "the window kept changing"

drag_at 400
box=
wait_until '{ box=$(xdotool search --onlyvisible --name "^$box_title\$" 2>/dev/null | head -1) && [ -n "$box" ]; }' ||
    fail "the stroke without a folder for undo data brought no box titled \"$box_title\""
grep -q -- "--text=Undo has stopped" "$work/zenity.log" || fail "the box does not say that undo stopped: $(cat "$work/zenity.log")"
screen undo-box
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
wait_gone "^$box_title\$" || fail "Return left the box up"
xdotool windowfocus --sync "$window" 2>/dev/null || true
shot_until undo-first 'above "$(changed undo-blank undo-first 500x30+200+385)" 0.05' || fail "the stroke is not on the painting"

# Ctrl+S writes the changed painting.
before=$(saved)
press_until ctrl+s '[ "$(saved)" != "$before" ]' || fail "Ctrl+S did not save the stroke"

# A second stroke: a box would hold the program, and Ctrl+S would write nothing.
drag_at 500
before=$(saved)
press_until ctrl+s '[ "$(saved)" != "$before" ]' || fail "Ctrl+S did not save the second stroke"
xdotool search --onlyvisible --name "^$box_title\$" >/dev/null 2>&1 && fail "the second stroke brought a box"
[ "$(boxes)" -le 1 ] || fail "the second stroke brought a box: $(cat "$work/zenity.log")"
shot_until undo-second 'above "$(changed undo-first undo-second 500x30+200+485)" 0.05' || true
shot_settled undo-second || fail "the window kept changing"
above "$(changed undo-first undo-second 500x30+200+485)" 0.05 || fail "the second stroke is not on the painting"

drag_at 300
shot_until undo-third 'above "$(changed undo-second undo-third 500x30+200+285)" 0.05' || fail "the third stroke is not on the painting"
shot_settled undo-third || fail "the window kept changing"
key_until undo-prompt alt+F4 '
    kill -0 "$pid" 2>/dev/null || fail "Alt+F4 ended the program over an unsaved stroke"
    prompt=$(changed undo-third undo-prompt 1024x768+0+0)
    above "$prompt" 0.002' || fail "Alt+F4 showed no save prompt"
shot_settled undo-prompt || fail "the window kept changing as the save prompt opened"
xdotool key n
wait_until '! kill -0 "$pid" 2>/dev/null' || fail "the prompt's \"n\" did not end the program"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit code $status"

start_program "^$product - painting\$" "$program" "$work/painting.ptg"
# The brush outline follows the pointer, below the painting, once it moves.
xdotool mousemove 700 741 mousemove 700 740
shot_until undo-reopened 'again=$(changed undo-second undo-reopened 1024x768+0+0); above 0.002 "$again"' ||
    fail "the reopened painting is not the one saved after the second stroke (difference $again)"
close_program
echo "one box, both strokes saved, the save prompt after the third (difference $prompt), reopened $again"
