#!/usr/bin/env bash
# Runs the panel widgets' driver on a virtual display and checks its steps on screenshots: a
# splash with a transparent ring over a capture of the screen, a rotater at three angles and a
# quarter scale, and the cross-fade, dissolve and spin transitions at progress 0, 0.5 and 1.
# With KOSTREL_E2E_SHOTS set, the screenshots are kept in that folder.
set -euo pipefail

# The display does not reset when its last client leaves, between the driver's runs.
if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" "$0" --inside "$@"
fi
driver=$2
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    [ -s "$work/stderr" ] && sed 's/^/  driver: /' "$work/stderr" >&2
    exit 1
}

unset SDL_VIDEODRIVER SDL_AUDIODRIVER
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan-system-libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# settled NAME: screenshots the screen as NAME.png once two dumps of it a fifth of a second apart
# are alike: the driver presents a step before it says so, and the screen shows it soon after.
settled() {
    local end=$((SECONDS + 20))
    xwd -root -silent >"$work/before.xwd"
    while :; do
        sleep 0.2
        xwd -root -silent >"$work/after.xwd"
        cmp -s "$work/before.xwd" "$work/after.xwd" && break
        [ "$SECONDS" -lt "$end" ] || return 1
        mv "$work/after.xwd" "$work/before.xwd"
    done
    convert "xwd:$work/after.xwd" "$work/$1.png"
}

# Runs one mode of the driver, taking a screenshot <mode>-<step> of every step.
run_mode() {
    local mode=$1 steps=$2 step
    rm -f "$work/state" "$work/go"
    "$driver" "$mode" "$work/state" "$work/go" 2>"$work/stderr" &
    pid=$!
    for step in $(seq 0 $((steps - 1))); do
        for _ in $(seq 200); do
            [ "$(cat "$work/state" 2>/dev/null)" = "$step" ] && break
            kill -0 "$pid" 2>/dev/null || fail "the driver ($mode) ended before step $step"
            sleep 0.1
        done
        [ "$(cat "$work/state" 2>/dev/null)" = "$step" ] || fail "the driver ($mode) did not reach step $step"
        settled "$mode-$step" || fail "the screen kept changing at step $step of the driver ($mode)"
        convert "$work/$mode-$step.png" -depth 8 "rgb:$work/$mode-$step.rgb"
        if [ -n "${KOSTREL_E2E_SHOTS:-}" ]; then
            mkdir -p "$KOSTREL_E2E_SHOTS"
            cp "$work/$mode-$step.png" "$KOSTREL_E2E_SHOTS/"
        fi
        echo $((step + 1)) >"$work/go"
    done
    local status=0
    for _ in $(seq 200); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    wait "$pid" || status=$?
    pid=
    [ "$status" -eq 0 ] || fail "the driver ($mode) ended with $status"
}

run_mode splash 3
run_mode rotater 4
run_mode transitions 11

python3 - "$work" <<'PY' || fail "the screenshots differ from what the steps show"
import sys

# A screenshot of the 1024 x 768 screen as raw RGB bytes: its pixels by (x, y).
def load(name):
    with open(f"{sys.argv[1]}/{name}.rgb", "rb") as f:
        pixels = f.read()
    return lambda x, y: tuple(pixels[(y * 1024 + x) * 3:(y * 1024 + x) * 3 + 3])

def near(a, b, tolerance=2):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))

failures = []
def expect(condition, text):
    if not condition:
        failures.append(text)

# The splash: 200 x 150 centred on 1024 x 768 at (412, 309); its 20-pixel ring shows the capture
# of the screen behind it, its centre the picture's orange.
before, splash, after = load("splash-0"), load("splash-1"), load("splash-2")
for x, y in [(412, 309), (420, 315), (611, 458), (500, 320), (415, 400), (605, 330)]:
    expect(splash(x, y) == before(x, y), f"splash ring at {x},{y}: {splash(x, y)} != {before(x, y)}")
for x, y in [(512, 384), (433, 330), (590, 438)]:
    expect(splash(x, y) == (0xE0, 0x80, 0x20), f"splash centre at {x},{y}: {splash(x, y)}")
expect(after(512, 384) == before(512, 384), "the splash did not go")

# The rotater at (100, 100), 256 x 256: quadrant colours turn clockwise with the angle.
red, green, blue, white, ground = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255), (0x28, 0x40, 0x58)
quadrants = [(164, 164), (292, 164), (164, 292), (292, 292)]
for step, colours in enumerate([(red, green, blue, white), (blue, red, white, green), (white, blue, green, red)]):
    shot = load(f"rotater-{step}")
    for (x, y), colour in zip(quadrants, colours):
        expect(near(shot(x, y), colour), f"rotater step {step} at {x},{y}: {shot(x, y)} != {colour}")
quarter = load("rotater-3")
for (x, y), colour in zip([(212, 212), (244, 212), (212, 244), (244, 244)], (red, green, blue, white)):
    expect(near(quarter(x, y), colour), f"quarter scale at {x},{y}: {quarter(x, y)} != {colour}")
expect(near(quarter(180, 180), ground) and near(quarter(110, 300), ground), "the quarter-scale picture is too large")

# The transitions over (120, 80) - (520, 380): at 0 the panel as captured, at 1 the background,
# at 0.5 something between.
panel, background = load("transitions-0"), load("transitions-10")
area = [(x, y) for y in range(84, 376, 3) for x in range(124, 516, 3)]
def differing(a, b, tolerance):
    return sum(1 for x, y in area if not near(a(x, y), b(x, y), tolerance))
changed = differing(panel, background, 2)
expect(changed > 2000, f"the panel covers only {changed} samples")
for name, first in [("cross-fade", 1), ("dissolve", 4), ("spin", 7)]:
    start, middle, end = (load(f"transitions-{first + i}") for i in range(3))
    # The spin draws the picture through the rotated sampler, which softens it by half a pixel.
    tolerance, allowed = (2, 0) if name != "spin" else (60, changed // 10)
    expect(differing(start, panel, tolerance) <= allowed, f"{name} at 0 is not the panel ({differing(start, panel, tolerance)})")
    expect(differing(end, background, 2) == 0, f"{name} at 1 is not the background ({differing(end, background, 2)})")
    expect(differing(middle, panel, 2) > changed // 10 and differing(middle, background, 2) > changed // 10,
           f"{name} at 0.5 is not between")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
PY
echo "splash over its capture, rotater turned and scaled, three transitions at 0, 0.5 and 1 seen"
