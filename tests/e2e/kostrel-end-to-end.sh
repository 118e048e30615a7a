#!/usr/bin/env bash
# Starts the program on a virtual display and checks on screenshots that it shows the main
# backdrop "Kostrel" of Resources/system.trf: the whole screen in the backdrop's colour, the
# painting view adding nothing of its own and the clean view's hint hidden. Then closes it with
# Alt+F4 (there is no window manager, so no close box) and expects exit code 0. The screenshots
# are kept in the folder given after the program (default: e2e/ beside the program's folder).
set -euo pipefail

if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --inside "$@"
fi
program=$2
kept=${3:-$(dirname "$program")/../e2e}
mkdir -p "$kept"
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
# Under the sanitizers, what the desktop's libraries keep to the end is not the program's leak.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan-system-libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
"$program" 2>"$work/stderr" &
pid=$!

shot() { xwd -root -silent | convert xwd:- "$work/screen.png"; }
# The colour of a pixel of the last screenshot as RRGGBB.
pixel() {
    convert "$work/screen.png" -crop "1x1+$1+$2" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1 | tr -d '#'
}
# True when the colours differ by at most 1 in each channel.
near() {
    local a=$1 b=$2 i
    for i in 0 2 4; do
        local d=$(( 16#${a:i:2} - 16#${b:i:2} ))
        [ "${d#-}" -le 1 ] || return 1
    done
}
# Takes screenshots until pixel ($1, $2) is near colour $3, for at most five seconds.
until_pixel() {
    for _ in $(seq 50); do
        shot
        near "$(pixel "$1" "$2")" "$3" && return 0
        sleep 0.1
    done
    return 1
}

timeout 20 xdotool search --sync --onlyvisible --name '^Kostrel$' >/dev/null || fail "no window appeared"

# The backdrop's colour #FF303050; the painting view is a plain widget that draws nothing until
# the canvas attaches to it, and the restore hint shows only in the clean view.
ground=303050
until_pixel 512 384 "$ground" || fail "the middle of the screen is $(pixel 512 384), not $ground"
sleep 0.5
shot
cp "$work/screen.png" "$kept/kostrel-backdrop.png"
for point in "0 0" "1023 0" "0 767" "1023 767" "512 36" "700 500"; do
    near "$(pixel $point)" "$ground" || fail "pixel $point is $(pixel $point), not $ground"
done
colours=$(convert "$work/screen.png" -format %k info:)
[ "$colours" -eq 1 ] || fail "the screen shows $colours colours, not the backdrop's colour alone"

# Pointer movement and clicks over the painting view leave the picture as it was.
xdotool mousemove 300 300 click 1 mousemove 640 480
sleep 0.3
shot
cp "$work/screen.png" "$kept/kostrel-after-input.png"
colours=$(convert "$work/screen.png" -format %k info:)
[ "$colours" -eq 1 ] && near "$(pixel 300 300)" "$ground" || fail "input changed the backdrop"

xdotool key alt+F4
for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Alt+F4 did not close the program"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit code $status"
echo "backdrop colour $ground over the whole screen; screenshots in $kept; exit code 0"

# The panel widgets' test driver, built beside the tests, runs on the same display.
driver="$(dirname "$program")/../tests/panels_e2e_driver"
[ -x "$driver" ] || fail "no panel widgets' driver at $driver"
"$(dirname "$0")/panels-end-to-end.sh" --inside "$driver" || fail "the panel widgets' steps"
