#!/usr/bin/env bash
# The tool panes as a user meets them, on a virtual display. Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
program=$(realpath "$2")
shots=${3:-$(dirname "$program")/../e2e}
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
product="Kostrel 2"
cd "$work"

start_program "^$product - Untitled" "$program"
sleep 3
xdotool mousemove 600 300
sleep 0.5
shot tools-start
close_program
