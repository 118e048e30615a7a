#!/usr/bin/env bash
# Started where no display can be reached, the program says so on stderr, naming the display,
# and ends at once with a failure status: with DISPLAY naming a display that no server serves,
# with DISPLAY empty, and with neither DISPLAY nor WAYLAND_DISPLAY set; asked for SDL's Wayland
# driver with only an X display, it names the driver asked for. Under a Wayland desktop
# (Weston in a window of a virtual display, with XWayland), asked for SDL's Wayland driver it
# says why that cannot show it and how to run it under XWayland, and with no X11 display that it
# needs one; on XWayland's display it starts, and its splash, which has no picture of the screen
# behind it there, shows its card without an X error.
# Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

program=$(realpath "$1")
shots=${2:-$(dirname "$program")/../e2e}
mkdir -p "$shots"
work=$(mktemp -d)
servers=
pid=
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    if [ -n "$servers" ]; then
        kill $servers 2>/dev/null || true
        wait $servers 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    [ -s "$work/stderr" ] && sed 's/^/  program: /' "$work/stderr" >&2
    exit 1
}

# A display number that no server uses: no lock file, no socket in the file system or among the
# abstract ones.
number=723
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] ||
    grep -q "X11-unix/X$number\$" /proc/net/unix; do
    number=$((number + 1))
done

# refused WHAT SAID NAMED [VARIABLE=VALUE...]: the program, started with those display variables
# and no others, ends within ten seconds with a failure status and a message that begins with SAID
# and names NAMED.
refused() {
    local what=$1 said=$2 named=$3 status=0
    shift 3
    timeout -k 5 10 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy HOME="$work" \
        XDG_CONFIG_HOME="$work/config" "$@" "$program" >"$work/stdout" 2>"$work/stderr" || status=$?
    [ "$status" -ne 124 ] && [ "$status" -ne 137 ] || fail "$what: the program still ran after ten seconds"
    [ "$status" -ne 0 ] || fail "$what: the program ended with status 0"
    grep -qF "kostrel: $said" "$work/stderr" || fail "$what: the message does not say $said"
    grep -qF -- "$named" "$work/stderr" || fail "$what: the message does not name $named"
}
unreachable="no display could be reached"
refused "DISPLAY=:$number" "$unreachable" "DISPLAY=:$number" DISPLAY=":$number"
refused "DISPLAY empty" "$unreachable" "DISPLAY is empty" DISPLAY=
refused "no display variable" "$unreachable" "DISPLAY is not set"
# Asked for the x11 driver where no display answers, the program says that no display could be
# reached, with no advice to unset the variable, which would lead to the same.
refused "SDL_VIDEODRIVER=x11 with DISPLAY=:$number" "$unreachable" "DISPLAY=:$number" SDL_VIDEODRIVER=x11 \
    DISPLAY=":$number"
! grep -qF "unset SDL_VIDEODRIVER" "$work/stderr" || fail "x11 with no server: the message advises to unset SDL_VIDEODRIVER"
refused "SDL_VIDEODRIVER=x11 with no display variable" "$unreachable" "DISPLAY is not set" SDL_VIDEODRIVER=x11
! grep -qF "unset SDL_VIDEODRIVER" "$work/stderr" || fail "x11 with no DISPLAY: the message advises to unset SDL_VIDEODRIVER"

# wait_for CONDITION: evaluates the shell condition every tenth of a second until it holds, for up
# to twenty seconds; status 1 when it never held.
wait_for() {
    local deadline=$((SECONDS + 20))
    until eval "$1"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# Weston in a window of a virtual display, drawing without a graphics library and reading no
# settings of the user's.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/xvfb-display" 2>"$work/xvfb.log" &
servers=$!
wait_for 'grep -q "^[0-9]*$" "$work/xvfb-display"' || fail "Xvfb did not start"
# Asked for a driver that finds no display of its own, beside an X display that answers, the
# program names that driver and how to let SDL find the display.
refused "Wayland driver asked on X" "the video driver that SDL_VIDEODRIVER names (wayland) could not be started" \
    "unset SDL_VIDEODRIVER" DISPLAY=":$(cat "$work/xvfb-display")" SDL_VIDEODRIVER=wayland
mkdir -m 700 "$work/runtime"
DISPLAY=":$(cat "$work/xvfb-display")" XDG_RUNTIME_DIR="$work/runtime" HOME="$work" \
    XDG_CONFIG_HOME="$work/config" weston --backend=x11-backend.so --use-pixman --no-config --xwayland \
    --socket=kostrel-weston --width=1280 --height=800 >"$work/weston.log" 2>&1 &
servers="$! $servers"
wait_for 'grep -q "xserver listening on display :" "$work/weston.log"' ||
    fail "Weston gave no XWayland display: $(tail -5 "$work/weston.log")"
xwayland=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | head -1)
session=(XDG_RUNTIME_DIR="$work/runtime" WAYLAND_DISPLAY=kostrel-weston XDG_SESSION_TYPE=wayland)
refused "Wayland driver asked" "SDL's wayland video driver cannot show the program's windows" \
    "unset SDL_VIDEODRIVER, or set it to x11, to run the program under XWayland" \
    "${session[@]}" DISPLAY="$xwayland" SDL_VIDEODRIVER=wayland
refused "Wayland without DISPLAY" "$unreachable (DISPLAY is not set, WAYLAND_DISPLAY=kostrel-weston)" \
    "the program needs an X11 display, such as XWayland's" "${session[@]}"

env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy HOME="$work" XDG_CONFIG_HOME="$work/config" "${session[@]}" \
    DISPLAY="$xwayland" "$program" >"$work/stdout" 2>"$work/stderr" &
pid=$!
export DISPLAY=$xwayland
wait_for 'splash=$(xdotool search --onlyvisible --name "^Kostrel 2\$" 2>/dev/null | head -1) && [ -n "$splash" ]' ||
    fail "no splash appeared on XWayland's display"
# The splash's picture: the card in its middle.
splash_card() {
    xwd -id "$splash" -silent 2>/dev/null | convert xwd:- "$shots/xwayland-splash.png" 2>/dev/null &&
        [ "$(convert "$shots/xwayland-splash.png" -crop 200x100+160+120 -format %k info:)" -gt 50 ]
}
wait_for splash_card || fail "the splash shows no card on XWayland's display"
wait_for 'xdotool search --onlyvisible --name "^Kostrel 2 - Untitled\$" >/dev/null 2>&1' ||
    fail "no main window appeared on XWayland's display"
! grep -F "X error" "$work/stderr" || fail "an X error was noted on XWayland's display"
echo "no display end to end: passed"
