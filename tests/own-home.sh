#!/bin/sh
# Runs a test in a home of its own: HOME, the XDG folders (configuration, cache, data, state and
# runtime) and TMPDIR are folders of a fresh temporary folder, removed when the test ends, so that
# no test reads or writes the user's preferences, documents or caches, tests running side by side
# do not share theirs, and what a test leaves in its temporary folder goes with it. Every
# registered test runs through it (cmake/KostrelTargets.cmake); a test program started by itself
# makes the same home itself (tests/TestHome.cpp). KOSTREL_TEST_HOME names the folder.
# Usage: own-home.sh PROGRAM [ARGUMENT...]; the status is the program's.
set -u
[ $# -gt 0 ] || { echo "usage: $0 PROGRAM [ARGUMENT...]" >&2; exit 2; }
temporary=${TMPDIR:-/tmp}
# A test and all it starts hold the lock of its home. A test ended by SIGKILL (ctest's timeout)
# runs no trap and leaves its home: the homes whose lock nothing holds any more are removed here.
# Only this user's own folders, never a link or a folder another user made in a shared TMPDIR.
# The lock is opened as it is, never made: a home may go while this looks, and a lock made in it
# would keep its own test's removal from emptying it. Such a home goes without a word.
for lock in "$temporary"/kostrel-test-home.*/lock; do
    left=${lock%/lock}
    [ -d "$left" ] && [ ! -L "$left" ] && [ -O "$left" ] && [ -f "$lock" ] && [ ! -L "$lock" ] &&
        { flock -n 8 && rm -rf "$left"; } 2>/dev/null 8<"$lock"
done
home=$(mktemp -d "$temporary/kostrel-test-home.XXXXXX") || exit 1
trap 'rm -rf "$home"' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
# The lock is taken before it has the name the removal above looks for. Where the file system
# takes no locks the home keeps no such name, and only its own test's end removes it.
exec 9>"$home/lock.new" || exit 1
if flock -n 9; then mv "$home/lock.new" "$home/lock" || exit 1; fi
mkdir -m 700 "$home/home" "$home/config" "$home/cache" "$home/data" "$home/state" "$home/runtime" || exit 1
# The temporary folder is open as the system's is, to the other users a test runs things as (the
# printing system's, the unprivileged user of the save tests).
mkdir -m 1777 "$home/tmp" && chmod 711 "$home" || exit 1
export HOME="$home/home" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data" \
    XDG_STATE_HOME="$home/state" XDG_RUNTIME_DIR="$home/runtime" TMPDIR="$home/tmp" KOSTREL_TEST_HOME="$home"
"$@"
