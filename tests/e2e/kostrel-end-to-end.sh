#!/usr/bin/env bash
# Starts the program on a virtual display, clicks and types into it, checks on screenshots that
# what it shows changed after each, closes it with Alt+F4 (there is no window manager, so no
# close box) and expects exit code 0.
set -euo pipefail

if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --inside "$@"
fi
program=$2
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

shot() { xwd -root -silent | convert xwd:- "$work/$1.png"; }
pixel() { convert "$work/$1.png" -format '%[pixel:p{100,100}]' info:; }
# Takes screenshot $2 until it differs from $1, for at most five seconds.
until_changed() {
    for _ in $(seq 50); do
        shot "$2"
        [ "$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 || true)" != 0 ] && return 0
        sleep 0.1
    done
    return 1
}

timeout 20 xdotool search --sync --onlyvisible --name '^Kostrel$' >/dev/null || fail "no window appeared"
convert -size 1024x768 xc:black "$work/black.png"
until_changed black first || fail "the window never showed its back buffer"

xdotool mousemove 200 150 click 1
until_changed first clicked || fail "a click did not change the back buffer"
xdotool type --delay 50 a
until_changed clicked typed || fail "a key did not change the back buffer"
[ "$(pixel first)" != "$(pixel typed)" ] || fail "the colours did not move on"

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
echo "clicked, typed and closed: exit code 0"
