#!/usr/bin/env bash
# The program under a window manager on a virtual display. Full screen covers the work area
# exactly (the whole screen where no panel takes a part of it), with the menu bar at its top; the
# menu bar's window button gives a framed window wholly on the screen, and full screen again. The
# window manager's own full screen, maximise and their undoing leave the window covering the
# screen or framed on it, and the window button then does the opposite: the program's mode
# follows the manager's. A box over the full-screen window gets the keyboard. Under openbox, its
# maximise key gives full screen, and a stroke whose window is minimised before the button goes up
# ends there, paints nothing once the window is back, and is one undo step. "nested" runs openbox
# on a nested display whose screen changes size: full screen follows it, and a window made after
# it is sized from it.
# Usage: PROGRAM SHOT_FOLDER MANAGER, MANAGER one of openbox, xfwm4, metacity, icewm, i3, fluxbox,
# mutter, kwin, none and nested.
set -euo pipefail

if [ "${3:-}" = nested ]; then
    screen_size=1400x1000
fi
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
    icewm) icewm ;;
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
    esac >"$work/manager.log" 2>&1 &
    wm_pid=$!
    wait_until 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' || fail "$1 did not start"
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
elif [ "$manager" != none ]; then
    start_manager "$manager"
fi

# The screen's size, and the work area as "X,Y WIDTHxHEIGHT" (the screen where no manager says).
screen_geometry() { xdpyinfo | awk '/dimensions:/ { print "0,0 " $2; exit }'; }
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
# with $now the geometry, and has stayed the same for half a second: a window manager may pass
# the window through other places and sizes first. The geometry is left in $work/NAME.
wait_settled() {
    local same=0 before= now= settled_condition=$2
    wait_until 'now=$(geometry)
        if [ "$now" = "$before" ] && eval "$settled_condition"; then same=$((same + 1)); else same=0; fi
        before=$now; [ "$same" -ge 5 ]' || return 1
    echo "$now" >"$work/$1"
}
# The screen as NAME.png.
screen_shot() { xwd -root -silent | convert xwd:- -define png:compression-level=1 "$shots/$1.png"; }
# screen_settled NAME: the screen as NAME.png once two dumps of it a fifth of a second apart are
# alike.
screen_settled() {
    local settled_deadline=$((SECONDS + patience))
    xwd -root -silent >"$work/screen-before.xwd"
    while :; do
        sleep 0.2
        xwd -root -silent >"$work/screen-after.xwd"
        cmp -s "$work/screen-before.xwd" "$work/screen-after.xwd" && break
        [ "$SECONDS" -lt "$settled_deadline" ] || fail "the screen kept changing for $1"
        mv "$work/screen-after.xwd" "$work/screen-before.xwd"
    done
    convert "xwd:$work/screen-after.xwd" -define png:compression-level=1 "$shots/$1.png"
}
# painted SHOT SHOT AREA: how many pixels of the area (WxH+X+Y) differ between two screenshots.
painted() {
    convert "$shots/$1.png" "$shots/$2.png" -crop "$3" +repage -compose difference -composite -colorspace gray \
        -threshold 8% -format '%[fx:round(mean*w*h)]' info:
}
brightness() { convert "$shots/$1.png" -crop "$2" -colorspace gray -format '%[fx:mean]' info:; }
above() { awk "BEGIN { exit !($1 > $2) }"; }
# menu_bar NAME GEOMETRY WHAT: waits for a screenshot with the dark menu bar at the top centre of
# the client area.
menu_bar() {
    local x y width
    read -r x y width _ < <(tr ',x' '  ' <<<"$2")
    local deadline=$((SECONDS + patience))
    until screen_shot "$1" && above 0.4 "$(brightness "$1" "500x20+$((x + width / 2 - 250))+$((y + 6))")"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$3 shows no menu bar at the window's top"
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
# window NAME HOW: waits for a window smaller than the screen whose frame is wholly on the screen,
# with the menu bar at its top.
window() {
    wait_settled "$1" 'smaller_than_screen "$now"' || fail "$2 gave no window smaller than the screen: $(geometry)"
    local x y width height left=0 right=0 top=0 bottom=0 screen_width screen_height
    read -r _ _ screen_width screen_height < <(screen_geometry | tr ',x' '  ')
    read -r x y width height < <(tr ',x' '  ' <"$work/$1")
    # Where the manager draws no frame, the window has no extents; one that does not reparent
    # draws the window's own border.
    local extents border
    extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',')
    [ -z "$extents" ] || read -r left right top bottom <<<"$extents"
    border=$(border_width)
    left=$((left + border)) right=$((right + border)) top=$((top + border)) bottom=$((bottom + border))
    [ $((x - left)) -ge 0 ] && [ $((y - top)) -ge 0 ] && [ $((x + width + right)) -le "$screen_width" ] &&
        [ $((y + height + bottom)) -le "$screen_height" ] ||
        fail "$2 gave a window whose frame is not on the screen: $(cat "$work/$1"), frame $left $right $top $bottom"
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

if [ "$manager" != none ]; then
    # The manager's own full screen of the window, and its undoing, each followed by the button.
    window_button
    window windowed "the window button"
    manage add,fullscreen
    full_screen manager-full "by the window manager" "$(screen_geometry)"
    window_button
    window after-manager-full "the window button after the manager's full screen"
    # i3 and herbstluftwm maximise nothing.
    if [ "$manager" != i3 ] && [ "$manager" != herbstluftwm ]; then
        manage add,maximized_vert,maximized_horz
        full_screen manager-maximised "by the window manager's maximise"
        window_button
        window after-manager-maximised "the window button after the manager's maximise"
    fi
    window_button
    full_screen full-again "by the window button"
    manage add,fullscreen
    full_screen manager-full-again "by the window manager" "$(screen_geometry)"
    manage remove,fullscreen
    window manager-restored "the window manager's undoing of full screen"
    window_button
    full_screen after-manager-restored "by the window button after the manager's undoing" "$(screen_geometry)"

    # A box over the full-screen window has the keyboard: Enter closes it. Ctrl+O opens a file
    # that is no painting (the stand-in file dialog's answer).
    press_until ctrl+o 'xdotool search --onlyvisible --name "^Unreadable File\$" >/dev/null 2>&1' ||
        fail "Ctrl+O showed no box for a file that is no painting"
    box=$(xdotool search --onlyvisible --name "^Unreadable File\$" | head -1)
    wait_until '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$box" ]' ||
        fail "the box over the full-screen window has no keyboard"
    xdotool key Return
    wait_gone "^Unreadable File\$" || fail "Enter did not close the box"
fi

# The real zenity's file dialog over the full-screen window, as Ctrl+O shows it (the stand-in stands
# aside meanwhile), whatever it marks its window with: on the screen above the program's window,
# with the keyboard; dragged across the painting it leaves the painting drawn as it was; closed by
# Escape. A drag on the painting at once after it paints, though the program hears of zenity's end
# only a second after its window went (as of a slow dialog program on a busy machine). The program then ends over its
# stroke and starts again as it was; ended by a signal while the dialog is up, it takes the dialog
# along, and starts again as it was.
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
    press_until ctrl+o 'xdotool search --onlyvisible --name "^Open\$" >/dev/null 2>&1' ||
        fail "Ctrl+O showed no file dialog on the screen"
    dialog=$(xdotool search --onlyvisible --name "^Open\$" | head -1)
    wait_until '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$dialog" ]' || fail "the file dialog has no keyboard"
    # The windows that hold each on the root, which lists its children from the top down.
    root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
    top_level() {
        local id parent
        id=$(printf '0x%x' "$1")
        while parent=$(xwininfo -tree -id "$id" | awk '/Parent window id:/ { print $4 }') &&
            [ "$parent" != "$root" ]; do
            id=$parent
        done
        echo "$id"
    }
    program_top=$(top_level "$window")
    dialog_top=$(top_level "$dialog")
    xwininfo -root -children | awk -v low="$program_top" -v high="$dialog_top" '
        $1 == high { seen = 1 } $1 == low && seen { above = 1 } END { exit !above }' ||
        fail "the file dialog is not above the program's window"
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
# for it, and the window button gives the other. The program takes a state the manager keeps
# against what was asked for the manager's own after a second.
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
    close_program_unsaved
elif [ "$manager" = kwin ] || [ "$manager" = i3 ]; then
    # A click of the quick changes lands where the window is as it comes, as a hand's would: on
    # the painting where the window had changed under it.
    close_program_unsaved
else
    close_program
fi
echo "$manager: full screen $(cat "$work/start"), window $(cat "$work/button")"
