#!/usr/bin/env bash
# Started where no display can be reached, the program says so on stderr, naming the display,
# and ends at once with a failure status: with DISPLAY naming a display that no server serves,
# with DISPLAY empty, and with neither DISPLAY nor WAYLAND_DISPLAY set. Usage: PROGRAM.
set -euo pipefail

program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
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

# refused WHAT NAMED [VARIABLE=VALUE...]: the program, started with those display variables and
# no others, ends within ten seconds with a failure status and a message naming NAMED.
refused() {
    local what=$1 named=$2 status=0
    shift 2
    timeout -k 5 10 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy HOME="$work" \
        XDG_CONFIG_HOME="$work/config" "$@" "$program" >"$work/stdout" 2>"$work/stderr" || status=$?
    [ "$status" -ne 124 ] && [ "$status" -ne 137 ] || fail "$what: the program still ran after ten seconds"
    [ "$status" -ne 0 ] || fail "$what: the program ended with status 0"
    grep -qF "kostrel: no display could be reached" "$work/stderr" || fail "$what: no word of the display"
    grep -qF -- "$named" "$work/stderr" || fail "$what: the message does not name $named"
}
refused "DISPLAY=:$number" "DISPLAY=:$number" DISPLAY=":$number"
refused "DISPLAY empty" "DISPLAY is empty" DISPLAY=
refused "no display variable" "DISPLAY is not set"
echo "no display end to end: passed"
