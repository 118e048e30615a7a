#!/usr/bin/env bash
# Starts the program on a virtual display and checks on screenshots that it shows the backdrop
# "Kostrel" of Resources/system.trf: the background colour, a panel, a sample of the gradient and
# the cursor widget following the pointer. Then closes it with Alt+F4 (there is no window
# manager, so no close box) and expects exit code 0.
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

# The source's colours: the background #00303050 drawn opaque where the gradient is still
# transparent (the top row); the panel "panel.tools"; the cursor "cursor.dot".
ground=303050
panel=5A4634
cursor=D03020
# Row 600 of 768 reads gradient entry 600 x 4096 / 768 = 3200, which lies 200/256 of the way
# from #00101020 to #FF101020; its alpha, scaled by the opacity 220, lays it over the ground.
gradient=$(python3 - <<'EOF'
def lerp(a, b, t):
    return sum((((a >> s & 255) * (256 - t) + (b >> s & 255) * t) >> 8 & 255) << s for s in (24, 16, 8, 0))
g = lerp(0x00101020, 0xFF101020, (3200 * 256 // 4095) & 255)
alpha = ((220 + 1) * (g >> 8)) >> 24
below = 0xFF303050
print("".join("%02X" % ((below >> s & 255) + ((alpha * ((g >> s & 255) - (below >> s & 255) + 1)) >> 8))
              for s in (16, 8, 0)))
EOF
)

xdotool mousemove 1000 10
until_pixel 600 0 "$ground" || fail "the background is $(pixel 600 0), not $ground"
near "$(pixel 100 300)" "$panel" || fail "the panel is $(pixel 100 300), not $panel"
near "$(pixel 900 600)" "$gradient" || fail "the gradient reads $(pixel 900 600), not $gradient"

xdotool mousemove 700 700
until_pixel 700 700 "$cursor" || fail "the cursor did not come to 700, 700"
xdotool mousemove 720 650
until_pixel 720 650 "$cursor" || fail "the cursor did not follow to 720, 650"
near "$(pixel 700 700)" "$cursor" && fail "the cursor's old image stayed at 700, 700"

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
echo "background $ground, panel $panel, gradient $gradient and cursor seen; exit code 0"

# The panel widgets' test driver, built beside the tests, runs on the same display.
driver="$(dirname "$program")/../tests/panels_e2e_driver"
[ -x "$driver" ] || fail "no panel widgets' driver at $driver"
"$(dirname "$0")/panels-end-to-end.sh" --inside "$driver" || fail "the panel widgets' steps"
