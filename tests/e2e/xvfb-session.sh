# Sourced by the end-to-end scripts, with the script's own arguments: it runs the script again on
# a virtual display, then gives it a work folder removed at exit, `fail`, the start of a program
# with a window of a given title, screenshots of that window and the close by Alt+F4.
if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --inside "$@"
fi
work=$(mktemp -d)
pid=
window=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
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
unset SDL_VIDEODRIVER SDL_AUDIODRIVER
export SDL_AUDIODRIVER=dummy
# Under the sanitizers, what the desktop's libraries keep to the end is not the program's leak.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan-system-libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# start_program TITLE PROGRAM [ARGUMENT...]: runs the program with its output in the work folder
# and waits for its window, whose title matches the pattern TITLE.
start_program() {
    local title=$1
    shift
    "$@" >"$work/stdout" 2>"$work/stderr" &
    pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name "$title" | head -1) ||
        fail "no window appeared"
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 0.5
}

# shot NAME: the program's window as NAME.png in the script's $shots folder.
shot() { xwd -id "$window" -silent | convert xwd:- "$shots/$1.png"; }

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
