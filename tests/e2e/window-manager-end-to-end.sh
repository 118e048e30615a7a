#!/usr/bin/env bash
# The program under a window manager on a virtual display. Full screen covers the work area
# exactly (the whole screen where no panel takes a part of it), with the menu bar at its top and a
# drag painting where the pointer goes; the menu bar's window button gives a framed window wholly
# on the screen, title bar and all, and full screen again. The window manager's own full screen,
# maximise and their undoing leave the window covering the screen or framed on it, and the window
# button then does the opposite: the program's mode follows the manager's. A box over the
# full-screen window gets the keyboard and stays above the window when the painting is clicked.
# Seeded random sequences of the manager's changes, moves and the window button, at random
# paces, each leave a window that settles full screen or framed on the screen, whose window
# button gives the other. Where the manager moves windows as asked, a framed window it moves at
# once after the window button, or while the program is stopped, stays where it was moved. Under
# openbox, its maximise key gives full screen, and a stroke whose
# window is minimised before the button goes up ends there, paints nothing once the window is
# back, and is one undo step; under openbox and i3 a click on the menu bar, or on the save
# question's Cancel, made while the program was stopped and the manager moved the window or made
# it full screen, acts where the hand clicked. "nested" runs openbox on a nested display whose
# screen changes size: full screen follows it, and a window made after it is sized from it.
# "weston" runs the program on XWayland under Weston, whose pointer and keys come through
# Weston's own window on the virtual display: a drag in the framed window paints where the hand
# went, and the window button's presses land where the hand pressed, press after press, each
# framed window at one size and where Weston's own step puts it.
# Usage: PROGRAM SHOT_FOLDER MANAGER, MANAGER one of openbox, xfwm4, metacity, icewm, i3, fluxbox,
# mutter, kwin, herbstluftwm, bspwm, awesome, dwm, blackbox, twm, pekwm, weston, none and nested.
# WM_SEQUENCES random sequences are played (2 by default), the first drawn from the seed WM_SEED
# (1 by default) and each next from the next seed; a failure names its seed and its steps, and
# WM_SEED=that WM_SEQUENCES=1 plays that sequence again from full screen.
set -euo pipefail

# The managers added last, and Weston, run on a laptop's screen of 1280 x 800.
case ${3:-} in
nested) screen_size=1400x1000 ;;
awesome | dwm | blackbox | twm | pekwm | weston) screen_size=1280x800 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
take_program "$2" "$3"
manager=$4
product="Kostrel 2"
cd "$work"
shots="$shots/$manager"
mkdir -p "$shots"

# The manager runs on the display until the script ends. It ends with the processes it started
# (kwin and mutter run under a session bus of their own), which are waited for: one still writing
# its settings into the work folder would keep the folder from going.
wm_pid=
descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1"); do
        descendants "$child"
        echo "$child"
    done
}
stop_manager() {
    [ -n "$wm_pid" ] || return 0
    local processes i
    processes="$(descendants "$wm_pid") $wm_pid"
    kill $processes 2>/dev/null || true
    for i in $(seq 50); do
        kill -0 $processes 2>/dev/null || break
        sleep 0.1
    done
}
trap 'stop_manager; cleanup' EXIT
start_manager() {
    case $1 in
    openbox)
        # Openbox as Debian sets it up, with Super+Up for its maximise.
        sed 's|<keyboard>|<keyboard><keybind key="W-Up"><action name="ToggleMaximize"/></keybind>|' \
            /etc/xdg/openbox/rc.xml >"$work/openbox.xml"
        openbox --sm-disable --config-file "$work/openbox.xml" ;;
    xfwm4) xfwm4 --compositor=off --sm-client-disable ;;
    metacity) metacity --replace ;;
    # Icewm with its task bar, without the clock and load graphs that change it as time goes:
    # the screen has to settle for a screenshot.
    icewm)
        mkdir -p "$work/icewm"
        printf '%s\n' TaskBarShowClock=0 TaskBarShowCPUStatus=0 TaskBarShowMEMStatus=0 TaskBarShowNetStatus=0 \
            TaskBarShowMailboxStatus=0 TaskBarShowApm=0 >"$work/icewm/preferences"
        ICEWM_PRIVCFG="$work/icewm" icewm ;;
    i3)
        printf 'font pango:DejaVu Sans 8\n' >"$work/i3.config"
        i3 -c "$work/i3.config" ;;
    fluxbox) fluxbox ;;
    mutter) dbus-run-session mutter --x11 --replace ;;
    kwin) QT_QPA_PLATFORM=xcb dbus-run-session kwin_x11 --replace ;;
    # Both tile, and keep a frame's extents while the window is full screen.
    herbstluftwm) herbstluftwm --autostart /etc/xdg/herbstluftwm/autostart ;;
    bspwm)
        mkdir -p "$XDG_CONFIG_HOME/bspwm"
        printf '#!/bin/sh\nbspc config border_width 2\n' >"$XDG_CONFIG_HOME/bspwm/bspwmrc"
        chmod +x "$XDG_CONFIG_HOME/bspwm/bspwmrc"
        bspwm ;;
    # Both as Debian sets them up: awesome floats new windows, dwm tiles them.
    awesome) awesome ;;
    dwm) dwm ;;
    blackbox) blackbox ;;
    # Twm as Debian sets it up, in the display's built-in font: it ends for want of the font it
    # names.
    twm)
        sed 's/"-adobe-helvetica[^"]*"/"fixed"/' /etc/X11/twm/system.twmrc >"$work/twmrc"
        twm -f "$work/twmrc" ;;
    pekwm) pekwm ;;
    esac >"$work/manager.log" 2>&1 &
    wm_pid=$!
    # Twm names itself nowhere: it has started once it has made its own windows.
    wait_until 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" ||
        { [ "$manager" = twm ] && xwininfo -root -children | grep -q "^ *[1-9][0-9]* child"; }' || fail "$1 did not start"
}

# The screen the screenshots are taken of, where not the program's display: under Weston, the
# virtual display its output shows on.
screen_display=
# Weston draws its output into a window of the virtual display and takes the hand's pointer and keys
# from it; the program is a client of its XWayland, with the variables a Wayland session sets.
start_weston() {
    host=$DISPLAY
    screen_display=$host
    [ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    weston --backend=x11-backend.so --use-pixman --width=1280 --height=800 --xwayland --idle-time=0 \
        --socket="kostrel-$$" >"$work/manager.log" 2>&1 &
    wm_pid=$!
    wait_until 'grep -q "xserver listening on display :" "$work/manager.log"' || fail "weston did not start"
    export DISPLAY WAYLAND_DISPLAY="kostrel-$$" XDG_SESSION_TYPE=wayland
    DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/manager.log" | head -1)
    wait_until 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
        fail "weston's window manager for XWayland did not start"
    wait_until 'DISPLAY=$host command xdotool search --class "^Weston Compositor\$" >/dev/null 2>&1' ||
        fail "weston's output shows no window"
    # Weston places a new window below its panel only once the panel is there: a window mapped
    # before it stands 32 pixels higher, and its menu bar under the panel once it creeps up. The
    # panel is drawn once the top rows are dark over the light background below them.
    wait_until 'xwd -display "$host" -root -silent >"$work/weston.xwd" 2>/dev/null &&
        [ "$(convert "xwd:$work/weston.xwd" -colorspace gray \( +clone -crop 1280x32+0+0 \) \
            \( -clone 0 -crop 400x300+880+500 \) -delete 0 -format "%[fx:mean]," info: 2>/dev/null |
            awk -F, "{ print (\$1 < 0.3 && \$2 > 0.3) }")" = 1 ]' ||
        fail "weston's panel was not drawn"
    # The output window hands Weston the pointer's moves, not its places: a move to the far
    # corner and back to the near one puts Weston's pointer where the virtual display's is.
    DISPLAY=$host command xdotool mousemove 1279 799 sleep 0.2 mousemove 0 0 sleep 0.2
    xdotool() {
        case $1 in
        mousemove | mousedown | mouseup | click | key | keydown | keyup | type) DISPLAY=$host command xdotool "$@" ;;
        *) command xdotool "$@" ;;
        esac
    }
}

# A display of its own inside the virtual one, whose screen can change size like a real one's.
if [ "$manager" = nested ]; then
    host=$DISPLAY
    Xephyr -displayfd 5 -screen 1024x768 -resizeable -nolisten tcp -noreset -fp built-ins 5>"$work/nested" \
        >"$work/nested.log" 2>&1 &
    nested_pid=$!
    trap 'stop_manager; kill "$nested_pid" 2>/dev/null; cleanup' EXIT
    wait_until '[ -n "$(cat "$work/nested")" ]' || fail "the nested display did not start"
    export DISPLAY=":$(cat "$work/nested")"
    start_manager openbox
elif [ "$manager" = weston ]; then
    start_weston
elif [ "$manager" != none ]; then
    start_manager "$manager"
fi

# The screen's size, and the work area as "X,Y WIDTHxHEIGHT" (the screen where no manager says).
# The readers read to the end: one that ended early would fail the command on a broken pipe.
screen_geometry() { xdpyinfo | awk '/dimensions:/ && !seen { print "0,0 " $2; seen = 1 }'; }
work_area() {
    xprop -root _NET_WORKAREA 2>/dev/null |
        awk -F' = ' '/=/ { split($2, a, ", "); print a[1] "," a[2] " " a[3] "x" a[4]; exit }' | grep . ||
        screen_geometry
}
# The window's client area on the screen as "X,Y WIDTHxHEIGHT" (xwininfo places the window by its
# border's outer corner, which a manager that does not reparent draws as its frame).
geometry() { xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
    /Border width:/ { b = $3 } /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x + b "," y + b " " w "x" h }'; }
# The width of the window's own border.
border_width() { xwininfo -id "$window" | awk '/Border width:/ { print $3 }'; }
# wait_settled NAME CONDITION: waits until the window's geometry meets the condition, evaluated
# with $now the geometry, and has stayed the same for half a second ($settled_ms milliseconds) by
# the clock, not by the count of looks, each of which takes long on a loaded machine: a window
# manager may pass the window through other places and sizes first. The patience is that of a step
# and the settling's time. The geometry is left in $work/NAME.
wait_settled() {
    local since=0 at before= now= settled_condition=$2 settled_us=$((${settled_ms:-500} * 1000))
    local patience=$((patience + ${settled_ms:-500} / 1000))
    wait_until 'now=$(geometry) at=${EPOCHREALTIME/./}
        [ "$now" = "$before" ] && eval "$settled_condition" || since=$at
        before=$now; [ $((at - since)) -ge "$settled_us" ]' || return 1
    echo "$now" >"$work/$1"
}
# The screen as NAME.png.
screen_shot() { xwd -display "${screen_display:-$DISPLAY}" -root -silent | convert xwd:- -define png:compression-level=1 "$shots/$1.png"; }
# screen_settled NAME: the screen as NAME.png once two dumps of it a fifth of a second apart are
# alike.
screen_settled() {
    local settled_deadline=$((SECONDS + patience))
    xwd -display "${screen_display:-$DISPLAY}" -root -silent >"$work/screen-before.xwd"
    while :; do
        sleep 0.2
        xwd -display "${screen_display:-$DISPLAY}" -root -silent >"$work/screen-after.xwd"
        cmp -s "$work/screen-before.xwd" "$work/screen-after.xwd" && break
        [ "$SECONDS" -lt "$settled_deadline" ] || fail "the screen kept changing for $1"
        mv "$work/screen-after.xwd" "$work/screen-before.xwd"
    done
    convert "xwd:$work/screen-after.xwd" -define png:compression-level=1 "$shots/$1.png"
}
# window_shot NAME: the window's own picture, laid on a black picture of the screen where the
# window stands, as NAME.png. A compositing manager's screen may lag the window's drawing, and
# keep a part of an older picture (mutter, on a busy machine): the window's own picture is the
# program's. The server dumps only the part of a window on the screen, from that part's corner.
window_shot() {
    local x y
    read -r x y _ < <(geometry | tr ',x' '  ')
    xwd -id "$window" -nobdrs -silent >"$work/window.xwd" &&
        convert -size "$(screen_geometry | cut -d' ' -f2)" xc:black "xwd:$work/window.xwd" \
            -geometry "+$((x < 0 ? 0 : x))+$((y < 0 ? 0 : y))" -composite -define png:compression-level=1 "$shots/$1.png"
}
# window_settled NAME: the window's own picture as window_shot takes it, once two of them a fifth
# of a second apart are alike.
window_settled() {
    local settled_deadline=$((SECONDS + patience))
    window_shot "$1-earlier"
    while :; do
        sleep 0.2
        window_shot "$1"
        [ "$(changed "$1-earlier" "$1")" = 0 ] && break
        [ "$SECONDS" -lt "$settled_deadline" ] || fail "the window kept changing for $1"
        mv "$shots/$1.png" "$shots/$1-earlier.png"
    done
    rm "$shots/$1-earlier.png"
}
# painted SHOT SHOT AREA: how many pixels of the area (WxH+X+Y) differ between two screenshots.
painted() {
    convert "$shots/$1.png" "$shots/$2.png" -crop "$3" +repage -compose difference -composite -colorspace gray \
        -threshold 8% -format '%[fx:round(mean*w*h)]' info:
}
brightness() { convert "$shots/$1.png" -crop "$2" -colorspace gray -format '%[fx:mean]' info:; }
above() { awk "BEGIN { exit !($1 > $2) }"; }
# own_menu_bar WIDTH: how bright the top centre of the window's own picture is, where the menu bar
# of a window of that width stands.
own_menu_bar() {
    xwd -id "$window" -silent 2>/dev/null | convert xwd:- -crop "500x20+$(($1 / 2 - 250))+6" \
        -colorspace gray -format '%[fx:mean]' info: 2>/dev/null || echo unread
}
# menu_bar NAME GEOMETRY WHAT: waits for a screenshot with the dark menu bar at the top centre of
# the client area. A failure tells where the window is then, and how bright that place is in
# the window's own picture: dark there, the program drew its menu bar and the screen does not
# show it. Herbstluftwm frames a window in a window of 32 bits, which the server itself lays on
# the screen: now and then, beside a loaded machine's other work, the screen keeps the desktop's
# picture over a window that stands on top and has drawn its own. After two seconds of that, the
# screen is refreshed once, and the server lays the window's picture on it again.
menu_bar() {
    local x y width own refreshed=
    read -r x y width _ < <(tr ',x' '  ' <<<"$2")
    local deadline=$((SECONDS + patience)) refresh_at=$((SECONDS + 2))
    until screen_shot "$1" && above 0.4 "$(brightness "$1" "500x20+$((x + width / 2 - 250))+$((y + 6))")"; do
        if [ "$manager" = herbstluftwm ] && [ -z "$refreshed" ] && [ "$SECONDS" -ge "$refresh_at" ]; then
            refreshed=1
            own=$(own_menu_bar "$width")
            [ "$own" = unread ] || ! above 0.4 "$own" || { echo "$3: the screen refreshed over a window that drew its menu bar"; xrefresh; }
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            fail "$3 shows no menu bar at the window's top (screenshot $1): the window is at $(geometry)," \
                "$(xwininfo -id "$window" | awk '/Map State:/ { print $3 }'), its own picture's menu bar of brightness $(own_menu_bar "$width")"
        fi
        sleep 0.1
    done
}
# full_screen NAME HOW [GEOMETRY]: waits for the window to cover the work area (or GEOMETRY), with
# the menu bar at its top.
full_screen() {
    local full=${3:-$(work_area)}
    wait_settled "$1" '[ "$now" = "$full" ]' || fail "full screen $2 put the window at $(geometry), not $full"
    menu_bar "$1" "$full" "full screen $2"
}
# smaller_than_screen GEOMETRY: the status says whether the geometry is narrower and lower than
# the screen.
smaller_than_screen() {
    local screen_width screen_height width height
    read -r _ _ screen_width screen_height < <(screen_geometry | tr ',x' '  ')
    read -r _ _ width height < <(tr ',x' '  ' <<<"$1")
    [ "$width" -lt "$screen_width" ] && [ "$height" -lt "$screen_height" ]
}
# top_level WINDOW: the window that holds WINDOW on the root, WINDOW itself where no manager has
# taken it into a frame.
top_level() {
    local id parent root
    root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
    id=$(printf '0x%x' "$1")
    while parent=$(xwininfo -tree -id "$id" | awk '/Parent window id:/ { print $4 }') &&
        [ "$parent" != "$root" ]; do
        id=$parent
    done
    echo "$id"
}
# frame_box: the frame round the window as "LEFT TOP RIGHT BOTTOM" on the screen, right and
# bottom past its last pixels: the client area with the extents the manager sets, else the
# top-level window that holds it, border and all (the window's own border where the manager does
# not reparent). Weston's frame window holds 32 pixels of shadow round the frame it draws.
frame_box() {
    local x y width height left right top bottom border extents shadow=0
    extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',')
    if [ -n "$extents" ]; then
        read -r x y width height < <(geometry | tr ',x' '  ')
        read -r left right top bottom <<<"$extents"
        border=$(border_width)
        echo $((x - left - border)) $((y - top - border)) $((x + width + right + border)) $((y + height + bottom + border))
    else
        [ "$manager" != weston ] || shadow=32
        xwininfo -id "$(top_level "$window")" | awk -v s=$shadow '/Absolute upper-left X/ { x = $4 }
            /Absolute upper-left Y/ { y = $4 } /Border width:/ { b = $3 } /Width:/ { w = $2 } /Height:/ { h = $2 }
            END { print x + s, y + s, x + w + 2 * b - s, y + h + 2 * b - s }'
    fi
}
# frame_on_screen: the status says whether the window's frame is wholly on the screen.
frame_on_screen() {
    local left top right bottom screen_width screen_height
    read -r _ _ screen_width screen_height < <(screen_geometry | tr ',x' '  ')
    read -r left top right bottom < <(frame_box)
    [ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$right" -le "$screen_width" ] && [ "$bottom" -le "$screen_height" ]
}
# window NAME HOW: waits for a window smaller than the screen whose frame is wholly on the screen,
# with the menu bar at its top.
window() {
    wait_settled "$1" 'smaller_than_screen "$now"' || fail "$2 gave no window smaller than the screen: $(geometry)"
    frame_on_screen ||
        fail "$2 gave a window whose frame is not wholly on the screen: $(cat "$work/$1"), frame $(frame_box | tr ' ' ,)"
    menu_bar "$1" "$(cat "$work/$1")" "$2"
}
# window_button: a click on the menu bar's window button (the square beside the close button),
# which stands 243 pixels right of the middle of the menu bar, centred at the window's top.
window_button() {
    local x y width
    read -r x y width _ < <(geometry | tr ',x' '  ')
    xdotool mousemove $((x + width / 2 + 243)) $((y + 16)) click 1
}
manage() { wmctrl -i -r "$window" -b "$1"; }
# stands_above HIGH LOW: the status says whether the window HIGH stands above the window LOW: the
# windows that hold each on the root, which lists its children from the top down.
stands_above() {
    xwininfo -root -children | awk -v low="$(top_level "$2")" -v high="$(top_level "$1")" '
        $1 == high { seen = 1 } $1 == low && seen { above = 1 } END { exit !above }'
}
# What the manager is asked: its full screen, maximise and activation through wmctrl where it
# takes them (twm takes none), and maximise where it has one (i3, herbstluftwm and dwm have none).
ewmh=1 maximise=1
case $manager in
i3 | herbstluftwm | dwm) maximise= ;;
# Weston's are tried as its own block below shows.
twm | weston | none | nested) ewmh= maximise= ;;
esac
lightest() { convert "$shots/$1.png" -crop "$2" -colorspace gray -format '%[fx:maxima]' info:; }
# undo_unlit SHOT GEOMETRY: the status says whether the menu bar's undo arrow, 160 pixels right of
# the middle of the window given by GEOMETRY, is unlit in the screenshot: nothing to undo.
undo_unlit() {
    local x y width
    read -r x y width _ < <(tr ',x' '  ' <<<"$2")
    above 0.5 "$(lightest "$1" "20x20+$((x + width / 2 + 160))+$((y + 6))")"
}
# stroke_where_pointed NAME HOW: a drag across the painting from 300 to 600 pixels right of the
# window's left edge, 200 rows below its top, paints along the pointer's path from where the drag
# began, nothing before it and nothing 40 to 60 rows below it (the oil brush paints 25 rows either
# side of its path); Ctrl+Z then takes it back. The window's own pictures are read.
stroke_where_pointed() {
    local name=$1 how=$2 x y width height row step left
    read -r x y width height < <(geometry | tr ',x' '  ')
    row=$((y + 200))
    xdotool mousemove $((x + 450)) $((row + 150))
    window_settled "$name-before"
    xdotool mousemove $((x + 300)) "$row" mousedown 1
    for step in $(seq 320 20 600); do
        xdotool mousemove $((x + step)) "$row"
        sleep 0.02
    done
    xdotool mouseup 1 mousemove $((x + 450)) $((row + 150))
    window_settled "$name-stroke"
    above "$(changed "$name-before" "$name-stroke" "260x6+$((x + 320))+$((row - 3))")" 0.02 ||
        fail "a drag $how painted nothing along the pointer's path"
    [ "$(painted "$name-before" "$name-stroke" "300x20+$((x + 300))+$((row + 40))")" = 0 ] ||
        fail "a drag $how painted below the pointer's path"
    # The paint is told from the paper and from the brush's outline, grey both, by its colour.
    left=$(convert "$shots/$name-stroke.png" -crop "400x6+$((x + 200))+$((row - 3))" +repage \
        -colorspace HCL -channel G -separate +channel -threshold 20% txt:- |
        awk -F'[,:]' 'NR > 1 && /#FFFFFF/ { if (left == "" || $1 < left) left = $1 } END { print left + 0 }')
    [ $((x + 200 + left)) -ge $((x + 300 - 8)) ] ||
        fail "a drag $how from $((x + 300)) painted from $((x + 200 + left))"
    press_until ctrl+z 'window_shot "$name-undone" &&
        above 0.002 "$(changed "$name-before" "$name-undone" "300x8+$((x + 300))+$((row - 4))")"' ||
        fail "Ctrl+Z did not take back the drag $how"
}
# open_unsaved CONDITION FAILURE: Ctrl+O over the painting the drag at the start changed asks
# first whether to save it; "n" says no, and the open goes on until the condition holds.
open_unsaved() {
    local x y width height
    read -r x y width height < <(geometry | tr ',x' '  ')
    press_until ctrl+o 'screen_shot open-question &&
        above 0.4 "$(brightness open-question "300x100+$((x + width / 2 - 150))+$((y + height / 2 - 50))")"' ||
        fail "Ctrl+O over a changed painting asked no question"
    press_until n "$1" || fail "$2"
}
# stopped_change NAME HOW CHANGE LEFT: stops the program, moves the pointer across the window to
# LEFT pixels left of its middle, and runs CHANGE (a command), which moves the window or changes
# its size; the place the window settles at is left in $work/NAME-place.
stopped_change() {
    local x y width height before
    read -r x y width height < <(geometry | tr ',x' '  ')
    before=$(geometry)
    kill -STOP "$pid"
    xdotool mousemove $((x + width / 2)) $((y + height / 2)) sleep 0.1 mousemove $((x + width / 2 - $4)) $((y + 80))
    eval "$3"
    wait_until '[ "$(geometry)" != "$before" ]' || fail "$2 did not change the stopped program's window"
    wait_settled "$1-place" true || fail "the window kept changing after $2"
}
# stopped_click NAME HOW CHANGE: with the program stopped, the pointer moves across the window,
# CHANGE (a command) moves the window or changes its size, and a click lands on the menu bar's
# File where the window now is. Once the program goes on, the File menu is open and nothing was
# painted: the undo arrow stays unlit. Escape closes the menu.
stopped_click() {
    local name=$1 how=$2 x y width height deadline=$((SECONDS + patience))
    stopped_change "$name" "$how" "$3" 200
    read -r x y width height < <(tr ',x' '  ' <"$work/$name-place")
    xdotool mousemove $((x + width / 2 - 254)) $((y + 16)) click 1
    kill -CONT "$pid"
    wait_settled "$name-after" true || fail "the window kept changing after the program went on"
    read -r x y width height < <(tr ',x' '  ' <"$work/$name-after")
    until screen_shot "$name" && above 0.5 "$(brightness "$name" "150x100+$((x + width / 2 - 272))+$((y + 50))")"; do
        [ "$SECONDS" -lt "$deadline" ] ||
            fail "a click on File made while the program was stopped and $how opened no menu"
        sleep 0.1
    done
    screen_settled "$name-open"
    undo_unlit "$name-open" "$(cat "$work/$name-after")" ||
        fail "a click on File made while the program was stopped and $how painted: the undo arrow lit"
    xdotool key Escape
    wait_until 'screen_shot "$name-closed" && above "$(brightness "$name-closed" "150x100+$((x + width / 2 - 272))+$((y + 50))")" 0.5' ||
        fail "Escape left the File menu open"
}
# stopped_cancel NAME HOW CHANGE: a stroke, then Alt+F4 asks whether to save it; with the program
# stopped, the pointer moves, CHANGE moves the window or changes its size, and a click lands on
# the question's Cancel where the window now is. Once the program goes on, the question has gone
# and the program runs on. Ctrl+Z takes the stroke back.
stopped_cancel() {
    local name=$1 how=$2 x y width height
    read -r x y width height < <(geometry | tr ',x' '  ')
    # The moves go at a hand's pace: moves sent at once while the manager holds the click that gives
    # the window the keyboard reach no client (the server keeps the last), and a dab alone may leave
    # no paint to ask about.
    xdotool mousemove $((x + 300)) $((y + 150)) mousedown 1
    sleep 0.05
    xdotool mousemove $((x + 400)) $((y + 150))
    sleep 0.05
    xdotool mousemove $((x + 500)) $((y + 150)) mouseup 1
    # The question stands in the window's middle: a dark pane of 372 x 160 with Cancel at the
    # right of its bottom row.
    press_until alt+F4 'screen_shot "$name-question" &&
        above 0.4 "$(brightness "$name-question" "300x100+$((x + width / 2 - 150))+$((y + height / 2 - 50))")"' ||
        fail "Alt+F4 over a stroke asked no question"
    screen_settled "$name-question"
    stopped_change "$name" "$how" "$3" 100
    read -r x y width height < <(tr ',x' '  ' <"$work/$name-place")
    xdotool mousemove $((x + width / 2 + 124)) $((y + height / 2 + 54)) click 1
    kill -CONT "$pid"
    wait_settled "$name-after" true || fail "the window kept changing after the program went on"
    read -r x y width height < <(tr ',x' '  ' <"$work/$name-after")
    wait_until '! kill -0 "$pid" 2>/dev/null || { screen_shot "$name" &&
        above "$(brightness "$name" "300x100+$((x + width / 2 - 150))+$((y + height / 2 - 50))")" 0.6; }' ||
        fail "a click on Cancel made while the program was stopped and $how left the question"
    kill -0 "$pid" 2>/dev/null || fail "a click on Cancel made while the program was stopped and $how ended it"
    screen_settled "$name-cancelled"
    press_until ctrl+z 'screen_shot "$name-undone" && undo_unlit "$name-undone" "$(geometry)"' || fail "Ctrl+Z left the stroke"
}
source "$here/window-manager-sequences.sh"

# The file dialog answers a file that is no painting; the box saying so is the desktop's dialog
# program's.
use_standin_dialog
cat >"$work/bin/zenity" <<STANDIN
#!/bin/sh
case " \$* " in *--file-selection*) echo "$work/readme.ptg"; exit 0 ;; esac
exec /usr/bin/zenity "\$@"
STANDIN
echo "not a painting" >"$work/readme.ptg"

start_program "^$product - Untitled\$" "$program"
splash_gone "^$product\$"
full_screen start "at the start"
[ "$manager" = nested ] || stroke_where_pointed start-stroke "at the start"
window_button
window button "the window button"
window_button
full_screen back "back by the window button"

if [ "$manager" = nested ]; then
    xephyr=$(DISPLAY=$host xdotool search --class Xephyr | head -1)
    DISPLAY=$host xdotool windowsize "$xephyr" 1280 800
    full_screen grown "on a screen grown to 1280x800" "0,0 1280x800"
    xrandr -s 800x600
    full_screen shrunk "on a screen changed to 800x600" "0,0 800x600"
    window_button
    window shrunk-window "the window button on the changed screen"
    [ "$(cut -d' ' -f2 "$work/shrunk-window")" = 720x540 ] ||
        fail "the window on a screen of 800x600 is $(cat "$work/shrunk-window"), not 720x540"
    close_program
    echo "full screen followed the screen to 1280x800 and 800x600; the window after was $(cat "$work/shrunk-window")"
    exit 0
fi

if [ -n "$ewmh" ]; then
    # The manager's own full screen of the window, and its undoing, each followed by the button.
    window_button
    window windowed "the window button"
    manage add,fullscreen
    full_screen manager-full "by the window manager" "$(screen_geometry)"
    window_button
    window after-manager-full "the window button after the manager's full screen"
    if [ -n "$maximise" ]; then
        manage add,maximized_vert,maximized_horz
        full_screen manager-maximised "by the window manager's maximise"
        window_button
        window after-manager-maximised "the window button after the manager's maximise"
    fi
    window_button
    full_screen full-again "by the window button"
    manage add,fullscreen
    full_screen manager-full-again "by the window manager" "$(screen_geometry)"
    # Pekwm takes a request to remove full screen for one to add a maximise; it undoes its own
    # full screen by a toggle.
    if [ "$manager" = pekwm ]; then manage toggle,fullscreen; else manage remove,fullscreen; fi
    window manager-restored "the window manager's undoing of full screen"
    window_button
    full_screen after-manager-restored "by the window button after the manager's undoing" "$(screen_geometry)"
fi

# A box over the full-screen window has the keyboard, and keeps its place above the window when
# the painting beside it is clicked: Enter closes it. Ctrl+O opens a file that is no painting
# (the stand-in file dialog's answer), once "n" has said not to save the painting the drag at the
# start changed. Under Weston the dialog program shows on Wayland. Dwm and herbstluftwm raise the
# window clicked over the box, which no request of the program brings back: the painting is not
# clicked there.
if [ "$manager" != none ] && [ "$manager" != weston ]; then
    open_unsaved 'xdotool search --onlyvisible --name "^Unreadable File\$" >/dev/null 2>&1' \
        "Ctrl+O showed no box for a file that is no painting"
    box=$(xdotool search --onlyvisible --name "^Unreadable File\$" | head -1)
    wait_until '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$box" ]' ||
        fail "the box over the full-screen window has no keyboard"
    if [ "$manager" != dwm ] && [ "$manager" != herbstluftwm ]; then
        read -r x y width _ < <(geometry | tr ',x' '  ')
        xdotool mousemove $((x + width / 2)) $((y + 100)) click 1
        screen_settled box-clicked
        stands_above "$box" "$window" || fail "a click on the painting beside the box put the window above it"
        # A hand gives the box the keyboard again by a click on it, the manager's or the program's.
        read -r x y _ < <(xwininfo -id "$box" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
            END { print x, y }')
        xdotool mousemove $((x + 20)) $((y + 20)) click 1
        wait_until '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$box" ]' || fail "a click on the box gave it no keyboard"
    fi
    xdotool key Return
    wait_gone "^Unreadable File\$" || fail "Enter did not close the box"
fi

# The real zenity's file dialog over the full-screen window, as Ctrl+O shows it (the stand-in stands
# aside meanwhile), whatever it marks its window with: on the screen above the program's window,
# with the keyboard; dragged across the painting it leaves the painting drawn as it was; closed by
# Escape. A drag on the painting at once after it paints, though the program hears of zenity's end
# only a second after its window went (as of a slow dialog program on a busy machine). The
# program then ends over its stroke and starts again as it was; ended by a signal while the
# dialog is up, it takes the dialog along, and starts again as it was.
real_file_dialog() {
    local dialog root program_top dialog_top step x
    mv "$work/bin/zenity" "$work/zenity.stand-in"
    # zenity as the program started it, whose output stays open for a second after it ended.
    cat >"$work/bin/zenity" <<'SLOW'
#!/bin/sh
zenity=$$
(while state=$(cut -d' ' -f3 "/proc/$zenity/stat" 2>/dev/null) && [ -n "$state" ] && [ "$state" != Z ]; do
    sleep 0.05
done; sleep 1) &
exec /usr/bin/zenity "$@"
SLOW
    chmod +x "$work/bin/zenity"
    xdotool mousemove 512 700
    shot_settled real-dialog-before || fail "the window kept changing"
    open_unsaved 'xdotool search --onlyvisible --name "^Open\$" >/dev/null 2>&1' "Ctrl+O showed no file dialog on the screen"
    dialog=$(xdotool search --onlyvisible --name "^Open\$" | head -1)
    wait_until '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$dialog" ]' || fail "the file dialog has no keyboard"
    stands_above "$dialog" "$window" || fail "the file dialog is not above the program's window"
    screen_shot real-file-dialog
    for step in 1 2 3 4 5 6; do
        xdotool windowmove "$dialog" $((100 * step)) $((60 * step))
        sleep 0.1
    done
    shot_until real-dialog-moved 'above 0.002 "$(changed real-dialog-before real-dialog-moved 560x300+20+40)"' ||
        fail "the file dialog dragged across the painting left its pictures there"
    xdotool key Escape
    wait_gone "^Open\$" || fail "Escape did not close the file dialog"
    xdotool mousemove 200 550 mousedown 1
    for x in $(seq 220 20 700); do
        xdotool mousemove "$x" 550
        sleep 0.02
    done
    xdotool mouseup 1 mousemove 512 700
    shot_until real-dialog-stroke 'above "$(changed real-dialog-before real-dialog-stroke 480x8+210+546)" 0.02' ||
        fail "a drag at once after the file dialog painted nothing"
    rm "$work/bin/zenity"
    close_program_unsaved
    start_program "^$product - Untitled\$" "$program"
    splash_gone "^$product\$"
    full_screen started-again "at the start again"
    press_until ctrl+o 'xdotool search --onlyvisible --name "^Open\$" >/dev/null 2>&1' ||
        fail "Ctrl+O showed no file dialog on the screen"
    kill -TERM "$pid"
    wait "$pid" || true
    pid=
    wait_gone "^Open\$" || fail "the file dialog stayed on the screen after the program ended"
    mv "$work/zenity.stand-in" "$work/bin/zenity"
    start_program "^$product - Untitled\$" "$program"
    splash_gone "^$product\$"
    full_screen started-after-signal "at the start after the signal"
}
if [ "$manager" = i3 ] || [ "$manager" = none ]; then
    real_file_dialog
fi

# The window button and the window manager's own changes all at once, with no wait between
# them: once the window has settled, it is full screen or a framed window on the screen, laid out
# for it, and the window button gives the other. The check waits two seconds for every change to
# arrive, then for the window's place and size to stay the same, and asks nothing of how soon.
if [ "$manager" = kwin ] || [ "$manager" = i3 ]; then
    window_button
    manage remove,maximized_vert,maximized_horz
    manage add,fullscreen
    window_button
    manage remove,maximized_vert,maximized_horz
    manage remove,maximized_vert,maximized_horz
    window_button
    manage add,maximized_vert,maximized_horz
    sleep 2
    wait_settled quick true || fail "the window kept changing after the quick changes"
    if [ "$(cut -d' ' -f2 "$work/quick")" = "$(screen_geometry | cut -d' ' -f2)" ]; then
        full_screen quick "after the quick changes" "$(screen_geometry)"
        window_button
        window quick-then "the window button after the quick changes"
    else
        window quick "after the quick changes"
        window_button
        full_screen quick-then "by the window button after the quick changes" "$(screen_geometry)"
    fi
fi

# Under Weston a drag in the framed window paints where the hand went, and the window button's
# presses land where the hand pressed, press after press, each giving the other mode. Weston's
# manager moves no window on request and puts a window that leaves full screen 32 pixels up and
# left of where it stood before (a window of any program, this one's too): only the first framed
# window is wholly on the screen, and the third's menu bar stands under Weston's panel, out of
# the hand's reach. Each framed window has the size of the first, and stands exactly where
# Weston's own step puts it: the program adds nothing to the creep.
# weston_step BEFORE AFTER: the status says whether the framed window AFTER has the size of BEFORE
# and stands 32 pixels up and left of it.
weston_step() {
    local x y size x2 y2 size2
    read -r x y size < <(tr ',' ' ' <"$work/$1")
    read -r x2 y2 size2 < <(tr ',' ' ' <"$work/$2")
    [ "$size2" = "$size" ] && [ "$x2" -eq $((x - 32)) ] && [ "$y2" -eq $((y - 32)) ]
}
if [ "$manager" = weston ]; then
    window_button
    wait_settled weston-window '! [ "$now" = "$(screen_geometry)" ]' || fail "the window button left the window full screen"
    weston_step button weston-window ||
        fail "the framed window after the first stands at $(cat "$work/weston-window"), not 32 up and left of $(cat "$work/button")"
    stroke_where_pointed weston-stroke "in the framed window"
    framed=weston-window
    for press in 1 2; do
        # The window button of a framed window that Weston put higher, its press 16 rows below the
        # window's top landing on the 32 rows of the panel, is out of the hand's reach.
        if [ $((press % 2)) -eq 1 ] && [ "$(cut -d' ' -f1 "$work/$framed" | cut -d, -f2)" -lt 16 ]; then
            echo "the framed window at $(cat "$work/$framed") has its window button under Weston's panel: not pressed"
            break
        fi
        window_button
        if [ $((press % 2)) -eq 1 ]; then
            full_screen_either "weston-press-$press" "by the window button's press $press"
        else
            wait_settled "weston-press-$press" '! [ "$now" = "$(screen_geometry)" ]' ||
                fail "the window button's press $press left the window full screen"
            weston_step "$framed" "weston-press-$press" ||
                fail "the window button's press $press put the framed window at $(cat "$work/weston-press-$press"), not 32 up and left of $(cat "$work/$framed")"
            framed=weston-press-$press
        fi
    done
fi

if [ "$manager" != none ] && [ "$manager" != nested ] && [ "$manager" != weston ]; then
    play_sequences
fi

# The framed window's moves stay, where the manager moves windows as asked.
case $manager in
openbox | xfwm4 | metacity | icewm | fluxbox | mutter | kwin | blackbox | twm | pekwm) moves_stay ;;
esac

# A click made while the program is stopped and the manager moves its window, or makes it full
# screen, acts where the hand clicked once the program goes on: on the menu bar's File, and on the
# save question's Cancel. i3 moves no tiled window.
if [ "$manager" = openbox ] || [ "$manager" = i3 ]; then
    from_full_screen stopped-start
    if [ "$manager" = openbox ]; then
        window_button
        window stopped-window "the window button"
        stopped_click stopped-move "the manager moved the window" \
            'read -r x y _ < <(geometry | tr ",x" "  "); xdotool windowmove "$window" "$x" $((y + 58))'
        stopped_cancel stopped-question "the manager moved the window" \
            'read -r x y _ < <(geometry | tr ",x" "  "); xdotool windowmove "$window" "$x" $((y - 58))'
    else
        window_button
        window stopped-window "the window button"
        stopped_cancel stopped-question "the manager made the window full screen" 'manage add,fullscreen'
        window_button
        window stopped-window-again "the window button"
    fi
    stopped_click stopped-full "the manager made the window full screen" 'manage add,fullscreen'
fi

if [ "$manager" = openbox ]; then
    # From a window back by the window manager's maximise key.
    window_button
    window before-maximise-key "the window button"
    xdotool key super+Up
    full_screen by-maximise-key "by the window manager's maximise key"

    # A pencil stroke, the window minimised before the button goes up, back, and moves with no
    # button held across the painting below the stroke.
    xdotool key 2
    xdotool mousemove 512 700
    shot_settled stroke-start || fail "the window kept changing"
    xdotool mousemove 200 400 mousedown 1
    for x in $(seq 220 20 500); do
        xdotool mousemove "$x" 400
        sleep 0.02
    done
    xdotool windowminimize "$window"
    wait_until 'xprop -id "$window" WM_STATE | grep -q Iconic' || fail "the window was not minimised"
    xdotool mouseup 1
    xdotool windowactivate "$window"
    wait_until 'xprop -id "$window" WM_STATE | grep -q Normal' || fail "the window did not come back"
    full_screen stroke-back "after the minimise"
    for x in $(seq 200 20 700); do
        xdotool mousemove "$x" 550
        sleep 0.02
    done
    xdotool mousemove 512 700
    shot_settled stroke-minimised || fail "the window kept changing"
    along=$(changed stroke-start stroke-minimised 280x8+210+396)
    above "$along" 0.02 || fail "the stroke before the minimise shows no paint (difference $along)"
    below=$(changed stroke-start stroke-minimised 560x12+170+544)
    above 0.002 "$below" || fail "moves with no button held painted once the window was back (difference $below)"

    # One Ctrl+Z takes the stroke whole; a stroke after it paints.
    key_until stroke-undone ctrl+z 'above 0.002 "$(changed stroke-start stroke-undone 300x8+200+396)"' ||
        fail "Ctrl+Z did not take the stroke back whole"
    xdotool mousemove 200 480 mousedown 1
    for x in $(seq 220 20 700); do
        xdotool mousemove "$x" 480
        sleep 0.02
    done
    xdotool mouseup 1 mousemove 512 700
    shot_until stroke-after 'above "$(changed stroke-start stroke-after 480x8+210+476)" 0.02' ||
        fail "a stroke after the window came back painted nothing"

    # A stroke held while the window manager takes full screen away ends where the hand was: the
    # window moves under the pointer, and the screen beside the stroke's path, where the move
    # would carry it, holds no paint.
    screen_settled held-start
    xdotool mousemove 200 400 mousedown 1
    for x in $(seq 220 20 500); do
        xdotool mousemove "$x" 400
        sleep 0.02
    done
    manage remove,fullscreen
    window held-window "the window manager's undoing of full screen under a held stroke"
    xdotool mousemove 510 400 mouseup 1 mousemove 512 700
    screen_settled held-end
    along=$(changed held-start held-end 280x8+210+396)
    above "$along" 0.02 || fail "the stroke held across the window's move shows no paint (difference $along)"
    for area in 360x40+150+350 360x32+150+410 60x92+512+350; do
        [ "$(painted held-start held-end "$area")" = 0 ] ||
            fail "the stroke held across the window's move painted beside its path, in $area"
    done
fi
# The painting has changed: by the drag at the start, and by any click of the quick changes or
# the sequences that landed where the window was as it came, as a hand's would, on the painting
# where the window had changed under it.
close_program_unsaved
# A program that never had a framed window, with preferences of its own, frames the window at the
# screen's size where the screen is small: the manager's full screen taken away, then a move and a
# minimise, leave it full screen, and the window button then gives a framed window. Under openbox
# the same steps are played again beside six busy loops on a program stopped from the moment its
# window shows until the last step: the manager's changes come before and around the program's own
# ask for full screen, and are read all at once.
if [ -n "$ewmh" ]; then
    fresh_steps=$'fullscreen 213\nactivate 177\nwindowmove:100,77 40\nminimise 318\nactivate 386\n'
    XDG_CONFIG_HOME="$work/fresh-config" start_program "^$product - Untitled\$" "$program"
    splash_gone "^$product\$"
    steps=$fresh_steps
    # The sizes the server gives the window meanwhile, as it tells them.
    xev -id "$window" -event structure >"$work/sizes" &
    spy=$!
    sleep 0.3
    play_steps sequence-toggled-moved "full screen taken away at a fresh start, then a move and a minimise at once after it"
    kill "$spy"
    # Herbstluftwm tiles the window it takes full screen away from: the window leaves the screen's
    # size there, and by the window button, and not between, as the program keeps its full screen.
    if [ "$manager" = herbstluftwm ]; then
        sizes=$(sed -n 's/.*, width \([0-9]*\), height \([0-9]*\),.*/\1x\2/p' "$work/sizes" | uniq | tr '\n' ' ')
        leaves=$(tr ' ' '\n' <<<"$sizes" | grep -v "^$(screen_geometry | cut -d' ' -f2)\$" | grep -c .) || true
        [ "$leaves" -le 2 ] ||
            fail "the window left the screen's size $leaves times ($sizes), more than by the manager and the window button"
    fi
    close_program_unsaved
fi
if [ "$manager" = openbox ]; then
    busy=
    trap 'kill $busy 2>/dev/null; stop_manager; cleanup' EXIT
    for loop in 1 2 3 4 5 6; do
        while :; do :; done &
        busy+=" $!"
    done
    XDG_CONFIG_HOME="$work/fresh-config-busy" "$program" >"$work/stdout" 2>"$work/stderr" &
    pid=$!
    window=$(find_window "^$product - Untitled\$") || fail "no window appeared"
    kill -STOP "$pid"
    steps=$fresh_steps
    # The program goes on with its start, the splash up, before it reads what the manager did:
    # the window settles from the splash's end.
    play_steps_as_is sequence-busy "the same beside busy loops, the program stopped from its start" \
        'kill -CONT "$pid"; splash_gone "^$product\$"'
    close_program_unsaved
    kill $busy
    trap 'stop_manager; cleanup' EXIT
fi
echo "$manager: full screen $(cat "$work/start"), window $(cat "$work/button")"
