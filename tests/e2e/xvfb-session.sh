# Sourced by the end-to-end scripts, with the script's own arguments: it runs the script again on
# a virtual display, then gives it a work folder removed at exit, `fail`, the start of a program
# with a window of a given title, screenshots of that window and the close by Alt+F4. A script
# that sets $screen_size first (WIDTHxHEIGHT) gets a display of that size instead of 1024x768.
# The display does not reset when its last client leaves: a program started during the reset
# would find no display. Its core fonts are the server's built-in ones alone, whatever fonts the
# machine has: SDL's own message box cannot show then, and the program's boxes reach the stand-in
# dialog program, whose log the scripts read.
if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 ${screen_size:-1024x768}x24 -nolisten tcp -noreset -fp built-ins" "$0" --inside "$@"
fi
work=$(mktemp -d)
pid=
window=
# A program a script stopped (kill -STOP) takes the end only once it goes on.
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && kill -CONT "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    [ -s "$work/stdout" ] && sed 's/^/  printed: /' "$work/stdout" >&2
    [ -s "$work/stderr" ] && sed 's/^/  program: /' "$work/stderr" >&2
    exit 1
}

# The programs keep their preferences in the work folder, not in the user's own.
export XDG_CONFIG_HOME="$work/config"
# Nothing of a desktop the tests were started from reaches the virtual display's programs: its
# Wayland display, its session bus (a dialog program would show there) and its name (KDE's picks
# another dialog program).
unset SDL_VIDEODRIVER SDL_AUDIODRIVER WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP XDG_SESSION_TYPE
export SDL_AUDIODRIVER=dummy
# Under the sanitizers, what the desktop's libraries keep to the end is not the program's leak.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan-system-libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# How long a step waits for what it checks, in seconds: long enough for a loaded machine and the
# sanitizer build; on a quiet machine a step goes on as soon as its condition holds.
patience=20

# xwd [ARGUMENT...]: the X dump program, asked again up to five times when it ended with the
# server's error for a window that went while it looked (a dump of the root looks at every window
# on the screen): a window of another program that went is no failure of the script's. The dump
# and the error wait in files of the calling shell's own (a dump may run in a pipeline, or in
# several shells at once); the dump is printed once whole, the last error where every try failed.
xwd() {
    local dump="$work/xwd-$BASHPID" try
    for try in 1 2 3 4 5; do
        if command xwd "$@" >"$dump.xwd" 2>"$dump.error"; then
            cat "$dump.xwd"
            rm -f "$dump.xwd" "$dump.error"
            return 0
        fi
        grep -q 'BadWindow\|BadDrawable' "$dump.error" || break
        sleep 0.1
    done
    cat "$dump.error" >&2
    rm -f "$dump.xwd" "$dump.error"
    return 1
}

# The conditions below are evaluated inside the waiting functions: they name the caller's
# variables, never positional parameters ($1 there is the waiting function's own).

# wait_until CONDITION: evaluates the shell condition every tenth of a second until it holds, for
# up to $patience seconds; status 1 when it never held.
wait_until() {
    local wait_deadline=$((SECONDS + patience))
    until eval "$1"; do
        [ "$SECONDS" -lt "$wait_deadline" ] || return 1
        sleep 0.1
    done
}

# shot_until NAME CONDITION: screenshots the window as NAME until the shell condition, evaluated
# after each screenshot, holds, for up to $patience seconds; the last screenshot stays, and the
# status is 1 when the condition never held.
shot_until() {
    local shot_deadline=$((SECONDS + patience))
    shot "$1"
    until eval "$2"; do
        [ "$SECONDS" -lt "$shot_deadline" ] || return 1
        sleep 0.1
        shot "$1"
    done
}

# key_until NAME KEYS CONDITION: presses the keys, then screenshots the window as NAME until the
# condition holds, as shot_until does; the keys go again every five seconds while it does not,
# for keys that only do something once (a chord can race its modifier on a loaded machine).
key_until() {
    local key_keys=$2 key_again=$((SECONDS + 5))
    xdotool key $key_keys
    shot_until "$1" "{ $3
    }"' || { [ "$SECONDS" -lt "$key_again" ] || { xdotool key $key_keys; key_again=$((SECONDS + 5)); }; false; }'
}

# press_until KEYS CONDITION: presses the keys, then waits as wait_until does, pressing them again
# every five seconds while the condition does not hold.
press_until() {
    local press_keys=$1 press_again=$((SECONDS + 5))
    xdotool key $press_keys
    wait_until "{ $2
    }"' || { [ "$SECONDS" -lt "$press_again" ] || { xdotool key $press_keys; press_again=$((SECONDS + 5)); }; false; }'
}

# shot_settled NAME: screenshots the window as NAME once two dumps of it a fifth of a second apart
# are alike, for a step that shows nothing of its own to wait for; status 1 when the window kept
# changing for $patience seconds.
shot_settled() {
    local settled_deadline=$((SECONDS + patience))
    xwd -id "$window" -silent >"$work/settled-before.xwd"
    while :; do
        sleep 0.2
        xwd -id "$window" -silent >"$work/settled-after.xwd"
        cmp -s "$work/settled-before.xwd" "$work/settled-after.xwd" && break
        [ "$SECONDS" -lt "$settled_deadline" ] || return 1
        mv "$work/settled-after.xwd" "$work/settled-before.xwd"
    done
    convert "xwd:$work/settled-after.xwd" -define png:compression-level=1 "$shots/$1.png"
}

# find_window TITLE [SECONDS]: prints the first shown window whose title matches the pattern TITLE
# once there is one, waiting up to SECONDS ($patience); status 1 when none showed. A search ends
# with an X error when a window it looks at goes meanwhile: it is asked again.
find_window() {
    local found= find_deadline=$((SECONDS + ${2:-$patience}))
    until found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$found" ]; do
        [ "$SECONDS" -lt "$find_deadline" ] || return 1
        sleep 0.1
    done
    echo "$found"
}

# wait_gone TITLE: waits until no window whose title matches the pattern TITLE shows; status 1
# when one still shows after $patience seconds. A search that ended with an X error (a window it
# looked at went meanwhile) found nothing gone.
wait_gone() {
    wait_until "! xdotool search --onlyvisible --name '$1' >/dev/null 2>\"\$work/search-error\" &&
        ! grep -q 'X Error' \"\$work/search-error\""
}

# splash_gone TITLE: waits until the splash, the window whose title matches the pattern TITLE,
# has gone and the program's window has been drawn since. What the splash covered shows its
# picture until the program draws again, and until then the window's top rows are one colour.
splash_gone() {
    wait_gone "$1" || fail "the splash stayed on screen"
    wait_until '[ "$(xwd -id "$window" -silent 2>/dev/null | convert xwd:- -crop 0x30+0+0 -format %k info: 2>/dev/null)" -gt 1 ]' ||
        fail "the window was not drawn after the splash went"
}

# drag_stroke: a left-button drag across the painting's middle, from 200,400 to 700,400 in steps
# of 20 pixels.
drag_stroke() {
    xdotool mousemove 200 400 mousedown 1
    local x
    for x in $(seq 200 20 700); do
        xdotool mousemove "$x" 400
        sleep 0.02
    done
    xdotool mouseup 1
}

# take_program PROGRAM [SHOT_FOLDER]: $program the program's absolute path, $shots the folder for
# the screenshots (by default e2e/ beside the program's folder), made if missing, absolute.
take_program() {
    program=$(realpath "$1")
    shots=${2:-$(dirname "$program")/../e2e}
    mkdir -p "$shots"
    shots=$(cd "$shots" && pwd)
}

# start_program TITLE PROGRAM [ARGUMENT...]: runs the program with its output in the work folder
# and waits for its window, whose title matches the pattern TITLE, to show more than one colour.
start_program() {
    local title=$1
    shift
    "$@" >"$work/stdout" 2>"$work/stderr" &
    pid=$!
    window=$(find_window "$title") || fail "no window appeared"
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    wait_until '[ "$(xwd -id "$window" -silent 2>/dev/null | convert xwd:- -format %k info: 2>/dev/null)" -gt 1 ]' ||
        fail "the window shows nothing"
}

# shot NAME: the program's window as NAME.png in the script's $shots folder.
# The screenshots are compressed lightly: they are taken often while a step waits.
shot() { xwd -id "$window" -silent | convert xwd:- -define png:compression-level=1 "$shots/$1.png"; }

# Closes the program with Alt+F4, again now and then in case a key raced its modifier, and
# expects exit code 0.
close_program() {
    local i status=0
    for i in $(seq 300); do
        [ $((i % 30)) -eq 1 ] && xdotool key alt+F4
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "Alt+F4 did not close the program"
    wait "$pid" || status=$?
    pid=
    [ "$status" -eq 0 ] || fail "exit code $status"
}

# Closes a program whose painting changed: Alt+F4, then "n" to the save prompt, both again now
# and then in case a key raced its modifier or came before the prompt ('n' alone does nothing in
# the painting), and expects exit code 0.
close_program_unsaved() {
    local i status=0
    for i in $(seq 300); do
        kill -0 "$pid" 2>/dev/null || break
        if [ $((i % 40)) -eq 1 ]; then
            xdotool key alt+F4
            sleep 1
            xdotool key n
        fi
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the program did not end"
    wait "$pid" || status=$?
    pid=
    [ "$status" -eq 0 ] || fail "exit code $status"
}

# Puts first on PATH a stand-in for the desktop's file dialog that notes what it was asked in
# $work/zenity.log and answers the path in $work/answer, and works in $work from then on.
use_standin_dialog() {
    mkdir -p "$work/bin"
    cat >"$work/bin/zenity" <<STANDIN
#!/bin/sh
echo "\$@" >>"$work/zenity.log"
cat "$work/answer"
STANDIN
    chmod +x "$work/bin/zenity"
    export PATH="$work/bin:$PATH"
    cd "$work"
}

# changed SHOT SHOT [WxH+X+Y]: the mean difference of two screenshots, or of that area of them,
# 0..1.
changed() {
    convert "$shots/$1.png" "$shots/$2.png" ${3:+-crop "$3" +repage} -compose difference -composite \
        -colorspace gray -format '%[fx:mean]' info:
}
