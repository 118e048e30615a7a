#!/usr/bin/env bash
# Drags across the test program's painting view on a virtual display with xdotool: the window's
# pixels change along the path and not away from it, and the program, closed with Alt+F4, reports
# paint in the cells under the whole path. Usage: PROGRAM SHOT_FOLDER.
set -euo pipefail

if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --inside "$@"
fi
program=$2
shots=${3:-$(mktemp -d)}
mkdir -p "$shots"
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    [ -s "$work/stderr" ] && sed 's/^/  program: /' "$work/stderr" >&2
    exit 1
}

unset SDL_VIDEODRIVER SDL_AUDIODRIVER
export SDL_AUDIODRIVER=dummy
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan-system-libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
"$program" >"$work/stdout" 2>"$work/stderr" &
pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Canvas input$' | head -1) || fail "no window appeared"
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 0.5

shot() { xwd -id "$window" -silent | convert xwd:- "$shots/$1.png"; }
# The mean difference of a window area between two screenshots, 0..1.
changed() {
    convert "$shots/$1.png" "$shots/$2.png" -crop "$3" -compose difference -composite -colorspace gray \
        -format '%[fx:mean]' info:
}

shot before
# The view stands at (30, 30) of the window and the painting fills it: a drag along row 100 of
# the painting from cell 20 to cell 280.
xdotool mousemove --window "$window" 50 130
sleep 0.2
xdotool mousedown 1
for x in $(seq 50 10 310); do
    xdotool mousemove --window "$window" "$x" 130
    sleep 0.03
done
xdotool mouseup 1
sleep 0.5
shot after

along=$(changed before after 260x16+50+122)
away=$(changed before after 260x30+50+190)
python3 -c "import sys; sys.exit(0 if $along > 0.05 else 1)" || fail "the path shows no paint (difference $along)"
python3 -c "import sys; sys.exit(0 if $away < 0.01 else 1)" || fail "paint away from the path (difference $away)"

# Alt+F4 again now and then, in case a key raced its modifier.
for i in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    [ $((i % 30)) -eq 1 ] && xdotool key alt+F4
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Alt+F4 did not close the program"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with $status"
mapfile -t counts <"$work/stdout"
[ "${#counts[@]}" -eq 3 ] || fail "the program reported ${#counts[@]} counts"
for count in "${counts[@]}"; do
    [ "$count" -gt 200 ] || fail "a band of the path holds only $count painted cells (${counts[*]})"
done
echo "painted cells per band: ${counts[*]}; window difference along $along, away $away"
