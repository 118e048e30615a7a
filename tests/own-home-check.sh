#!/usr/bin/env bash
# Checks that no test can read or write the user's files. Run as a test itself, it finds HOME and
# the XDG folders set to folders of its own: set, existing, none of them the user's home or its
# configuration, cache, data or state folder, HOME empty, and TMPDIR a folder of that home, so that
# what a test leaves there goes with it. Then every test that ctest lists for the build folder,
# this one included, runs through the launcher that gives each test such a home: a test registered
# without it fails here.
# Usage: own-home-check.sh CTEST BUILD_FOLDER LAUNCHER.
set -euo pipefail
ctest=$1
build=$2
launcher=$3
failed=0
complain() {
    echo "$*" >&2
    failed=1
}

user_home=$(getent passwd "$(id -u)" | cut -d: -f6) || true
for name in HOME XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME XDG_STATE_HOME XDG_RUNTIME_DIR; do
    folder=${!name:-}
    case $folder in
    "") complain "$name is not set" ;;
    "$user_home" | "$user_home/.config" | "$user_home/.cache" | "$user_home/.local/share" | "$user_home/.local/state")
        complain "$name is the user's own $folder" ;;
    *) [ -d "$folder" ] || complain "$name names no folder: $folder" ;;
    esac
done
[ -d "${HOME:-}" ] && [ -n "$(ls -A "$HOME")" ] && complain "HOME holds files already: $HOME"
[ -n "${KOSTREL_TEST_HOME:-}" ] && [ -d "${TMPDIR:-}" ] && [ "${TMPDIR#"$KOSTREL_TEST_HOME"/}" != "$TMPDIR" ] ||
    complain "TMPDIR is no folder of the test's own home: ${TMPDIR:-unset}"

# The listing gives each test's command ("N: Test command: ...") before its name ("Test #N: ...").
# ctest writes its log in the folder it is pointed at, even for a listing: pointed at a folder of
# this test's own that takes in the build's tests, it leaves the log of the run under way alone.
lister=$(mktemp -d)
trap 'rm -rf "$lister"' EXIT
printf 'subdirs([==[%s]==])\n' "$build" >"$lister/CTestTestfile.cmake"
listing=$("$ctest" --test-dir "$lister" -N -V)
report=$(awk -v launcher="$launcher" '
    /^[0-9]+: Test command: / { command = substr($0, index($0, "Test command: ") + 14) }
    /^ *Test +#[0-9]+: / {
        ++tests
        if (index(command " ", launcher " ") != 1) {
            sub(/^ *Test +#[0-9]+: /, "")
            print "runs without the launcher: " $0
        }
        command = ""
    }
    END { print "tests: " tests + 0 }' <<<"$listing")
tests=$(sed -n 's/^tests: //p' <<<"$report")
without=$(grep -c '^runs without' <<<"$report" || true)
if [ "$without" -gt 0 ]; then
    awk '/^runs without/ && ++shown <= 20' <<<"$report" >&2
    complain "$without of the $tests tests run without the launcher $launcher"
fi
[ "$tests" -gt 1 ] || complain "ctest listed $tests tests in $build"
echo "$tests tests listed"
exit "$failed"
