#!/bin/sh
# Runs a test in a home of its own: HOME and the XDG folders (configuration, cache, data, state
# and runtime) are folders of a fresh temporary folder, removed when the test ends, so that no
# test reads or writes the user's preferences, documents or caches, and tests running side by
# side do not share theirs. Every registered test runs through it (cmake/KostrelTargets.cmake),
# and a test program started by itself runs itself again through it (tests/TestMain.cpp).
# KOSTREL_TEST_HOME names the folder.
# Usage: own-home.sh PROGRAM [ARGUMENT...]; the status is the program's.
set -u
[ $# -gt 0 ] || { echo "usage: $0 PROGRAM [ARGUMENT...]" >&2; exit 2; }
home=$(mktemp -d "${TMPDIR:-/tmp}/kostrel-test-home.XXXXXX") || exit 1
trap 'rm -rf "$home"' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
mkdir -m 700 "$home/home" "$home/config" "$home/cache" "$home/data" "$home/state" "$home/runtime" || exit 1
export HOME="$home/home" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data" \
    XDG_STATE_HOME="$home/state" XDG_RUNTIME_DIR="$home/runtime" KOSTREL_TEST_HOME="$home"
"$@"
