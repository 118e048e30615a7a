# Sourced by the window manager's end-to-end script: seeded random sequences of what a desktop
# does to the program's window, with random gaps of 0 to 400 ms between the steps: the manager's
# full screen and maximise toggled, a minimise and the window's activation after it, an
# activation alone, a move by xdotool or wmctrl, and a click on the window button. Each sequence
# starts from full screen. Once the window has settled after it, it is full screen or a framed
# window whose frame's corner is on the screen, with the menu bar at its top, and the window
# button gives the other. A failure names the sequence's seed and steps: WM_SEED=SEED
# WM_SEQUENCES=1 plays the same steps with the same gaps again.

# draw_sequence: draws the steps of a sequence from $RANDOM into $steps, one "STEP GAP_MS" a
# line (in this shell: a subshell would draw from a seed of its own). Moves leave room above and
# left of the window for a frame: the window's gravity places the window itself.
draw_sequence() {
    local kinds=(button move activate minimise) count i kind
    [ -z "$ewmh" ] || kinds+=(fullscreen)
    [ -z "$maximise" ] || kinds+=(maximise)
    steps=
    count=$((3 + RANDOM % 5))
    for ((i = 0; i < count; i++)); do
        kind=${kinds[RANDOM % ${#kinds[@]}]}
        case $kind in
        move)
            if [ $((RANDOM % 2)) -eq 0 ]; then kind=windowmove; else kind=wmctrl-move; fi
            kind="$kind:$((40 + RANDOM % 300)),$((60 + RANDOM % 200))" ;;
        minimise) steps+="minimise $((RANDOM % 401))"$'\n'; kind=activate ;;
        esac
        steps+="$kind $((RANDOM % 401))"$'\n'
    done
}

# play_step STEP
play_step() {
    local place=${1#*:}
    case $1 in
    fullscreen) manage toggle,fullscreen ;;
    fullscreen+) manage add,fullscreen ;;
    maximise) manage toggle,maximized_vert,maximized_horz ;;
    maximise+) manage add,maximized_vert,maximized_horz ;;
    minimise) xdotool windowminimize "$window" ;;
    # Twm knows no activation message: a map request brings the window back.
    activate) if [ -n "$ewmh" ]; then wmctrl -i -a "$window"; else xdotool windowmap "$window"; fi ;;
    windowmove:*) xdotool windowmove "$window" "${place%,*}" "${place#*,}" ;;
    wmctrl-move:*) wmctrl -i -r "$window" -e "0,$place,-1,-1" ;;
    button) window_button ;;
    esac
}

# full_screen_either NAME HOW: waits for the window to cover the work area or the whole screen,
# with the menu bar at its top.
full_screen_either() {
    local area screen
    area=$(work_area) screen=$(screen_geometry)
    wait_settled "$1" '[ "$now" = "$area" ] || [ "$now" = "$screen" ]' ||
        fail "full screen $2 put the window at $(geometry), not $area or $screen"
    menu_bar "$1" "$(cat "$work/$1")" "full screen $2"
}

# from_full_screen NAME: a window not full screen is made so by the window button.
from_full_screen() {
    local now area screen
    now=$(geometry) area=$(work_area) screen=$(screen_geometry)
    [ "$now" = "$area" ] || [ "$now" = "$screen" ] && return 0
    window_button
    full_screen_either "$1" "by the window button"
}

# corner_on_screen: the status says whether the top-left corner of the window's frame is on the
# screen.
corner_on_screen() {
    local left top screen_width screen_height
    read -r _ _ screen_width screen_height < <(screen_geometry | tr ',x' '  ')
    read -r left top _ < <(frame_box)
    [ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$left" -lt "$screen_width" ] && [ "$top" -lt "$screen_height" ]
}

# play_sequence SEED: draws the sequence of the seed, plays it from full screen and checks where the
# window settles and what the window button gives then; the window is full screen again after.
play_sequence() {
    local steps
    RANDOM=$1
    draw_sequence
    play_steps "sequence-$1" "the sequence of seed $1"
}

# play_steps NAME WHAT: plays $steps from full screen, as play_sequence does.
play_steps() {
    from_full_screen "$1-start"
    play_steps_as_is "$1" "$2" :
}

# play_steps_as_is NAME WHAT THEN: plays $steps on the window as it is, runs THEN (a command) after
# the last, and checks what the window settles at, as play_steps does.
play_steps_as_is() {
    local name=$1 what step gap now area screen
    what="$2 ($(awk '{ printf "%s%s +%d ms", (NR > 1 ? ", " : ""), $1, $2 }' <<<"${steps%$'\n'}"))"
    echo "playing $what"
    while read -r step gap; do
        play_step "$step" || fail "$step could not be played in $what"
        sleep "$(printf '%d.%03d' $((gap / 1000)) $((gap % 1000)))"
    done <<<"${steps%$'\n'}"
    eval "$3"
    wait_until 'xprop -id "$window" WM_STATE | grep -q Normal' || fail "$what left the window minimised"
    # Settled: the same place and size for two seconds, twice the program's patience with a manager
    # that keeps the window otherwise than asked (a second) before it asks again.
    settled_ms=2000 wait_settled "$name" true || fail "the window kept changing after $what"
    now=$(cat "$work/$name") area=$(work_area) screen=$(screen_geometry)
    if [ "$now" = "$area" ] || [ "$now" = "$screen" ]; then
        menu_bar "$name" "$now" "full screen after $what"
        window_button
        window "$name-button" "the window button after $what"
        window_button
        full_screen_either "$name-back" "by the window button after $what"
    elif smaller_than_screen "$now"; then
        corner_on_screen || { screen_shot "$name"
            fail "$what left a window whose frame's corner is off the screen: $now, frame $(frame_box | tr ' ' ,) (screenshot $name)"; }
        menu_bar "$name" "$now" "the window after $what"
        window_button
        full_screen_either "$name-button" "by the window button after $what"
    else
        screen_shot "$name"
        fail "$what left the window at $now, neither full screen nor smaller than the screen (screenshot $name)"
    fi
}

# play_sequences: WM_SEQUENCES sequences from the seed WM_SEED on, after those that left a window
# stuck: the manager's full screen taken away while the window was minimised (a full-size window
# with no state, off the screen), the manager's maximise and full screen around a minimise, a
# full-screen window moved and minimised at once after (left full size off the screen), and the
# manager's maximise with the window button pressed twice after it (left at another size than
# the one laid out, the manager saying full screen), and the manager's full screen twice, the
# window button and its maximise twice (left maximised, taken for the program's framed window).
play_sequences() {
    local seed steps
    if [ -n "$ewmh" ]; then
        steps=$'button 400\nfullscreen+ 400\nminimise 400\nfullscreen 400\nactivate 400\n'
        play_steps sequence-minimised "full screen taken away while minimised"
    fi
    if [ -n "$maximise" ]; then
        steps=$'maximise 45\nfullscreen 45\nminimise 45\nmaximise 45\nactivate 45\n'
        play_steps sequence-maximised "the maximise and full screen around a minimise"
        steps=$'maximise 184\nactivate 350\nbutton 79\nbutton 400\n'
        play_steps sequence-maximised-buttons "the maximise and the window button twice"
        steps=$'fullscreen 186\nfullscreen 282\nbutton 82\nmaximise 297\nmaximise 225\nactivate 204\nactivate 315\n'
        play_steps sequence-buttoned-maximised "full screen twice, the window button and the maximise twice"
    fi
    steps=$'windowmove:100,77 40\nminimise 318\nactivate 400\n'
    play_steps sequence-moved-minimised "a move and a minimise at once after it"
    for seed in $(seq "${WM_SEED:-1}" $((${WM_SEED:-1} + ${WM_SEQUENCES:-2} - 1))); do
        play_sequence "$seed"
    done
}

# moves_stay: a framed window the manager moves (as a pager or the manager's keyboard move does)
# at once after the window button, and one it moves while the program is stopped, stay where
# they were moved, at their size, for as long as the program would have taken to put them back.
moves_stay() {
    local before
    from_full_screen moves-start
    window_button
    window moves-window "the window button"
    moved_stays moves-moved "at once after the window button" true
    window_button
    full_screen_either moves-full "by the window button"
    window_button
    window moves-window-again "the window button"
    kill -STOP "$pid"
    moved_stays moves-stopped "while the program was stopped" 'kill -CONT "$pid"'
}

# moved_stays NAME HOW THEN: moves the window 30 pixels right, runs THEN once the server has it
# there, and checks that the window then stays at a place of its own for three seconds, at the
# same size.
moved_stays() {
    local before x y size
    before=$(geometry)
    read -r x y size < <(tr ',' ' ' <<<"$before")
    xdotool windowmove "$window" $((x + 30)) "$y"
    wait_until '[ "$(geometry)" != "$before" ]' || fail "the manager did not move the window $2"
    eval "$3"
    settled_ms=3000 wait_settled "$1" true || fail "the window kept changing after the move $2"
    [ "$(cut -d' ' -f1 "$work/$1")" != "${before%% *}" ] ||
        fail "the window moved $2 was put back at $(cat "$work/$1")"
    [ "$(cut -d' ' -f2 "$work/$1")" = "$size" ] || fail "the window moved $2 was sized $(cat "$work/$1"), not $size"
}
