#!/usr/bin/env bash
# The program as a user meets it, on a virtual display: the splash, then the main window titled
# with the product and the new painting's name; a drag paints a stroke, which Ctrl+Z takes back
# and Ctrl+Y brings again; Page Up and 'd', '/' twice, Enter twice, Ctrl with the key that shows
# '-' on the German layout and 'd', and a held 'h' each change the view and give it back; a drag,
# Enter and a tool letter made while a stand-in file dialog holds the program change nothing;
# Alt+F4 raises the save prompt and "y", with the file dialog answered
# by a stand-in zenity, saves painting.ptg and ends the program; started again on that file, the
# window is titled with the painting's name and shows the same painting, its thumbnail included,
# Alt with Shift or CapsLock asks for no dialog, Ctrl+S leaves the unchanged file alone, F1 hands
# the help document to a stand-in xdg-open, the program answering while it runs and telling its
# failure, Ctrl+P with the private CUPS queue chosen in the
# stand-in print dialog puts a job in that queue and Ctrl+O opens another painting through a
# dialog window that takes the keyboard, and once that closed, Ctrl+Q reaches the program and
# closes the painting at once. Started on a painting whose
# name is not UTF-8, it opens that file and saves a stroke to it, never to its UTF-8 look-alike;
# so too one whose name begins with a quote beside the name without it, and one whose name ends in
# a blank; of two names on the command line the first opens. The first save of a new painting
# proposes the user's documents, and Open after a painting named on the command line starts in its
# folder.
# Started on a named pipe, or on a file of random bytes, it shows the error box Open shows, once
# the splash has gone, and goes on with a new painting; the pipe chosen in Open or as the tracing
# image brings the error box too, a save to a name that a folder holds brings the box of a failed
# save, captioned as a file error, and the painting then paints and saves a file that opens again.
# Usage: PROGRAM [SHOT_FOLDER].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb-session.sh"
source "$here/private-cups.sh"
trap 'stop_private_cups; cleanup' EXIT
take_program "$2" "${3:-}"
product="Kostrel 2"

# The stand-in file and print dialogs: they note what they were asked; the file dialog answers the
# path in $work/answer, the print dialog the private queue. The open dialog shows a real dialog
# window, which takes the keyboard and is closed with Enter, as a user closes one.
mkdir -p "$work/bin"
cat >"$work/bin/zenity" <<STANDIN
#!/bin/sh
echo "\$@" >>"$work/zenity.log"
case " \$* " in
*" --list "*) echo "$private_cups_queue" ;;
*" --save "*) cat "$work/answer" ;;
*" --file-selection "*)
    # Kept up while the script holds it, then cancelled.
    if [ -e "$work/hold" ]; then
        : >"$work/held"
        while [ -e "$work/hold" ]; do sleep 0.1; done
        rm "$work/held"
        exit 1
    fi
    /usr/bin/zenity --info --title="Stand-in Open" --text=Open >/dev/null 2>&1 &
    dialog=\$!
    shown=\$(timeout 20 xdotool search --sync --onlyvisible --name "^Stand-in Open\$" | head -1)
    for i in \$(seq 20); do
        kill -0 \$dialog 2>/dev/null || break
        xdotool windowfocus --sync "\$shown" key Return 2>/dev/null
        sleep 1
    done
    cat "$work/answer" ;;
*)
    # A box: the splash, which stays above every window, must have gone before it.
    xdotool search --onlyvisible --name "^$product\$" >>"$work/splash-at-box.log" 2>/dev/null
    cat "$work/answer" ;;
esac
STANDIN
chmod +x "$work/bin/zenity"
# The stand-in desktop opener notes what it was asked to open; while the script holds it, it runs
# on, as a web browser run by the opener does, then fails.
cat >"$work/bin/xdg-open" <<STANDIN
#!/bin/sh
echo "\$@" >>"$work/xdg-open.log"
[ -e "$work/hold-open" ] || exit 0
while [ -e "$work/hold-open" ]; do sleep 0.1; done
exit 3
STANDIN
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
cd "$work"
start_private_cups

above() { awk "BEGIN { exit !($1 > $2) }"; }
screen() { xwd -root -silent | convert xwd:- "$shots/$1.png"; }

"$program" >"$work/stdout" 2>"$work/stderr" &
pid=$!
splash=$(find_window "^$product\$") || fail "no splash appeared"
# The splash picture is the product's card in the middle of the dark screen. The splash window can
# show before its picture: the screen is looked at until the card shows, while the splash stands.
splash_picture() {
    screen kostrel-splash
    xdotool search --onlyvisible --name "^$product\$" 2>/dev/null | grep -qx "$splash" ||
        fail "the splash went before it showed its picture"
    [ "$(convert "$shots/kostrel-splash.png" -crop 400x200+312+284 -format '%k' info:)" -gt 50 ]
}
wait_until splash_picture || fail "the splash shows no picture"
window=$(find_window "^$product - Untitled\$") ||
    fail "no main window titled \"$product - Untitled\""
# The splash stays up for 2.5 seconds after the window came.
splash_gone "^$product\$"
xdotool windowfocus --sync "$window" 2>/dev/null || true

# The pointer rests below the painting's middle, clear of the panes in the corners and at the edges.
xdotool mousemove 700 740
shot_settled kostrel-blank || fail "the window kept changing"
xdotool mousemove 200 400
shot_settled kostrel-before-stroke || fail "the window kept changing"
drag_stroke
xdotool mousemove 700 740
# The stroke is kept once it shows and has settled: the steps below compare with it.
shot_until kostrel-stroke 'above "$(changed kostrel-before-stroke kostrel-stroke 500x30+200+385)" 0.05' || true
shot_settled kostrel-stroke || fail "the window kept changing after the stroke"
along=$(changed kostrel-before-stroke kostrel-stroke 500x30+200+385)
above "$along" 0.05 || fail "the drag painted nothing (difference $along)"

# Ctrl+Z gives back the painting from before the stroke, Ctrl+Y the one after it.
# With one stroke to undo and redo, a key that goes again does no harm.
key_until kostrel-undone ctrl+z 'undone=$(changed kostrel-blank kostrel-undone 500x30+200+385); above 0.002 "$undone"' ||
    fail "Ctrl+Z left the stroke (difference $undone)"
key_until kostrel-redone ctrl+y 'redone=$(changed kostrel-stroke kostrel-redone 500x30+200+385); above 0.002 "$redone"' ||
    fail "Ctrl+Y did not bring the stroke back (difference $redone)"

# Keys that change the view for a while: each first changes the window, then gives it back.
# $1 the name, $2 the keys that change it, $3 the keys that give it back.
view_round_trip() {
    local view=$1 on off
    xdotool key $2
    shot_until "kostrel-$view-on" 'on=$(changed kostrel-redone "kostrel-$view-on" 1024x700+0+0); above "$on" 0.0005' ||
        fail "$view: the keys $2 changed nothing (difference $on)"
    xdotool key $3
    shot_until "kostrel-$view-off" 'off=$(changed kostrel-redone "kostrel-$view-off" 1024x700+0+0); above 0.0005 "$off"' ||
        fail "$view: the keys $3 did not give the view back (difference $off)"
}
view_round_trip zoom Page_Up d
view_round_trip turn slash slash
view_round_trip clean-view Return Return
# Ctrl with the key that shows '-' zooms out wherever the layout puts it: German's is at the US '/'.
setxkbmap de
view_round_trip zoom-out-german ctrl+61 d
setxkbmap us
# While 'h' is held the painting is mirrored; released, it is as before. The key is held for a
# while, as a hand holds it, so that the program takes it as held, not tapped.
xdotool keydown h
sleep 0.7
shot_until kostrel-hold-on 'held=$(changed kostrel-redone kostrel-hold-on 1024x700+0+0); above "$held" 0.0005' ||
    fail "holding h mirrored nothing (difference $held)"
xdotool keyup h
shot_until kostrel-hold-off 'released=$(changed kostrel-redone kostrel-hold-off 1024x700+0+0); above 0.0005 "$released"' ||
    fail "releasing h left the view mirrored (difference $released)"

# While a dialog holds the program, nothing the hand does reaches it: a drag over the blank paper,
# Enter (which hides the panes) and '2' (the pencil), made while the stand-in file dialog of Ctrl+T
# (the tracing image) is kept up, leave the screen as it was once the dialog is cancelled. Ctrl, let
# go while the dialog was up, is no longer down: Enter hides the panes after it, and gives them back.
# The brush outline under the pointer, which turns with the pointer's way, is left out.
xdotool mousemove 700 740
shot_settled kostrel-before-dialog || fail "the window kept changing"
: >"$work/hold"
press_until ctrl+t '[ -e "$work/held" ]' || fail "Ctrl+T asked for no file"
xdotool mousemove 200 550 mousedown 1
for x in $(seq 200 20 700); do
    xdotool mousemove "$x" 550
    sleep 0.02
done
xdotool mouseup 1 key Return 2
sleep 2
rm "$work/hold"
wait_until '[ ! -e "$work/held" ]' || fail "the stand-in dialog did not end"
xdotool mousemove 700 740
shot_settled kostrel-after-dialog || fail "the window kept changing after the dialog"
held=$(changed kostrel-before-dialog kostrel-after-dialog 1024x700+0+0)
above 0.0005 "$held" || fail "what the hand did while the dialog was up reached the program (difference $held)"
view_round_trip after-dialog Return Return

# The prompt is waited for; Alt+F4 goes again while none shows.
key_until kostrel-save-prompt alt+F4 '
    kill -0 "$pid" 2>/dev/null || fail "Alt+F4 ended the program over unsaved changes"
    prompt=$(changed kostrel-stroke kostrel-save-prompt 1024x768+0+0)
    above "$prompt" 0.002' || fail "Alt+F4 showed no save prompt"
# The prompt takes keys once its transition has ended and the window settled.
shot_settled kostrel-save-prompt || fail "the window kept changing as the save prompt opened"

echo "$work/painting.ptg" >"$work/answer"
xdotool key y
status=0
wait_until '! kill -0 "$pid" 2>/dev/null' || fail "the prompt's \"y\" did not end the program"
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit code $status after saving"
[ -s "$work/painting.ptg" ] || fail "painting.ptg was not written"
grep -q -- "--save" "$work/zenity.log" || fail "the save dialog was not asked: $(cat "$work/zenity.log")"

xdotool mousemove 700 740
start_program "^$product - painting\$" "$program" "$work/painting.ptg"
# The painting is drawn once it is open: a slow build takes a while. The navigation pane's
# thumbnail shows the reopened painting's stroke as it showed the painted one.
shot_until kostrel-reopened '
    again=$(changed kostrel-stroke kostrel-reopened 1024x768+0+0)
    thumbnail=$(changed kostrel-stroke kostrel-reopened 80x60+440+700)
    awk "BEGIN { exit !($again < 0.002 && $thumbnail < 0.005) }"' || true
awk "BEGIN { exit !($again < 0.002) }" || fail "the reopened painting differs (difference $again)"
awk "BEGIN { exit !($thumbnail < 0.005) }" || fail "the reopened painting's thumbnail differs (difference $thumbnail)"
# Ctrl+S on the unchanged painting leaves its file alone; F1 hands the help document to the desktop.
# The file's time is kept to the second: a second passes first, so that a write would show. F1
# comes after Ctrl+S, so once the help document is asked for, Ctrl+S has been seen. Before them,
# Alt with Shift (the usual switch between two layouts) or CapsLock asks for no dialog.
before_save=$(stat -c %Y.%s "$work/painting.ptg")
dialogs=$(wc -l <"$work/zenity.log")
sleep 1.1
xdotool key alt+shift alt+Caps_Lock Caps_Lock
xdotool key ctrl+s
: >"$work/hold-open"
xdotool key F1
wait_until 'grep -q "/Resources/Help.html\$" "$work/xdg-open.log" 2>/dev/null' ||
    fail "F1 did not open the help document: $(cat "$work/xdg-open.log" 2>/dev/null)"
[ "$(stat -c %Y.%s "$work/painting.ptg")" = "$before_save" ] || fail "Ctrl+S wrote the unchanged painting"
[ "$(wc -l <"$work/zenity.log")" = "$dialogs" ] ||
    fail "Alt with Shift or CapsLock asked for a dialog: $(tail -n +$((dialogs + 1)) "$work/zenity.log")"
# While the opener runs, the program answers: Enter hides the panes and brings them back. The
# opener's failure then is told.
shot kostrel-help-opening
xdotool key Return
shot_until kostrel-help-panes-hidden 'above "$(changed kostrel-help-opening kostrel-help-panes-hidden)" 0.01' ||
    fail "Enter hid no pane while the help's opener ran"
xdotool key Return
shot_until kostrel-help-panes-back 'above 0.002 "$(changed kostrel-help-opening kostrel-help-panes-back)"' ||
    fail "Enter brought the panes back to no place while the help's opener ran"
grep -qF "The document could not be opened." "$work/zenity.log" && fail "the running opener was told as a failure"
rm "$work/hold-open"
wait_until 'grep -qF "The document could not be opened." "$work/zenity.log"' ||
    fail "the opener's failure was not told: $(tail -n +$((dialogs + 1)) "$work/zenity.log")"
# Ctrl+P with the private queue chosen in the stand-in print dialog puts a job in that queue.
[ -z "$(private_cups_jobs)" ] || fail "the private queue had a job before Ctrl+P"
press_until ctrl+p '[ -n "$(private_cups_jobs)" ]' || true
[ -n "$(private_cups_jobs)" ] || fail "Ctrl+P put no job in the private queue: $(cat "$work/zenity.log")"
grep -q -- "--list" "$work/zenity.log" || fail "Ctrl+P showed no print dialog"
# The queue prints the job, a PDF document titled with the painting's name.
wait_until '[ -s "$private_cups/record/title" ] && [ -s "$private_cups/output.pdf" ]' || true
[ "$(cat "$private_cups/record/title" 2>/dev/null)" = painting ] ||
    fail "the printed job's title is \"$(cat "$private_cups/record/title" 2>/dev/null)\", not \"painting\""
[ "$(head -c 5 "$private_cups/output.pdf")" = "%PDF-" ] || fail "the queue printed no PDF document"
cp "$private_cups/output.pdf" "$shots/kostrel-printed.pdf"
shot kostrel-printed
# Ctrl+O with the stand-in dialog opens another painting: the title follows it.
cp "$work/painting.ptg" "$work/other.ptg"
echo "$work/other.ptg" >"$work/answer"
# On a loaded machine the key can race its modifier: it goes again now and then (opening the same
# painting twice changes nothing).
for i in $(seq 300); do
    [ $((i % 100)) -eq 1 ] && xdotool key ctrl+o
    xdotool search --name "^$product - other\$" >/dev/null 2>&1 && break
    sleep 0.1
done
xdotool search --name "^$product - other\$" >/dev/null 2>&1 || fail "Ctrl+O did not open other.ptg"
shot kostrel-other
# An unchanged painting quits at once, by Ctrl+Q as by Alt+F4: the program took the keyboard back
# from the dialog. The key goes again now and then in case it raced its modifier while the program
# was still busy opening the painting.
for i in $(seq 300); do
    [ $((i % 30)) -eq 1 ] && xdotool key ctrl+q
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Ctrl+Q did not end the program"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit code $status after Ctrl+Q"
start_program "^$product - painting\$" "$program" "$work/painting.ptg"
close_program

# paint_stroke SHOT WHAT: paints a stroke across the opened painting, above its own stroke so that
# the new one shows, and checks that it showed (screenshots SHOT-open and SHOT-stroke).
paint_stroke() {
    xdotool mousemove 200 400
    shot_settled "$1-open" || fail "the window kept changing"
    xdotool mousemove 200 250 mousedown 1
    for x in $(seq 200 20 700); do
        xdotool mousemove "$x" 250
        sleep 0.02
    done
    xdotool mouseup 1 mousemove 700 740
    shot_until "$1-stroke" "above \"\$(changed $1-open $1-stroke 500x30+200+235)\" 0.05" ||
        fail "a drag on the painting $2 painted nothing"
}

# A painting whose name has a byte that is not UTF-8 (E9) opens from the command line as that
# file, not as its UTF-8 look-alike beside it (random bytes, which would bring the error box); the
# title shows the replacement character in the byte's place, and a stroke saved with Ctrl+S goes
# to that file alone.
latin1="$work/old"$'\xE9'".ptg"
look_alike="$work/old"$'\xC3\xA9'".ptg"
cp "$work/painting.ptg" "$latin1"
head -c 5000 /dev/urandom >"$look_alike"
cp "$look_alike" "$work/look-alike.bytes"
start_program "^$product - old" "$program" "$latin1"
# The title's legacy property holds its bytes as Latin-1, which a pattern cannot match: the
# title is compared whole.
[ "$(xdotool getwindowname "$window")" = "$product - old"$'\xEF\xBF\xBD' ] ||
    fail "the title is \"$(xdotool getwindowname "$window")\""
splash_gone "^$product\$"
paint_stroke kostrel-latin1 "named in Latin-1"
press_until ctrl+s '! cmp -s "$latin1" "$work/painting.ptg"' || fail "Ctrl+S did not write the painting named in Latin-1"
cmp -s "$look_alike" "$work/look-alike.bytes" || fail "a save touched the UTF-8 look-alike"
close_program
rm -f "$latin1" "$look_alike" "$work/look-alike.bytes"

# Beside start.ptg (random bytes, which would bring the error box), the painting named "start.ptg,
# quote included, opens from the command line as that file, and a stroke saved with Ctrl+S goes
# to it alone. A painting whose name ends in a blank opens as well.
cp "$work/painting.ptg" "$work/\"start.ptg"
head -c 5000 /dev/urandom >"$work/start.ptg"
cp "$work/start.ptg" "$work/start.bytes"
start_program "^$product - \"start\$" "$program" '"start.ptg'
splash_gone "^$product\$"
paint_stroke kostrel-quoted "named with a quote"
press_until ctrl+s '! cmp -s "$work/\"start.ptg" "$work/painting.ptg"' || fail "Ctrl+S did not write \"start.ptg"
cmp -s "$work/start.ptg" "$work/start.bytes" || fail "a save touched start.ptg"
close_program
cp "$work/painting.ptg" "$work/trail.ptg "
start_program "^$product - trail\$" "$program" "trail.ptg "
close_program
rm -f "$work/\"start.ptg" "$work/start.ptg" "$work/start.bytes" "$work/trail.ptg "

# Of several names, as a file manager hands a selection, the first opens; the file whose name is
# the two run together in quotes (random bytes, which would bring the error box) stays unopened.
cp "$work/painting.ptg" "$work/first.ptg"
cp "$work/painting.ptg" "$work/second.ptg"
head -c 5000 /dev/urandom >"$work/first.ptg\" \"second.ptg"
start_program "^$product - first\$" "$program" first.ptg second.ptg
close_program
rm -f "$work/first.ptg" "$work/second.ptg" "$work/first.ptg\" \"second.ptg"

# The file dialogs start where the user keeps files, never in the working folder: with the
# documents named $HOME/Papers in user-dirs.dirs, the first Ctrl+S of a new painting proposes
# Untitled.ptg there; with a painting named on the command line in another folder, Ctrl+O starts
# in that folder.
mkdir -p "$work/home/Papers" "$work/config" "$work/third"
printf 'XDG_DOCUMENTS_DIR="$HOME/Papers"\n' >"$work/config/user-dirs.dirs"
: >"$work/zenity.log"
echo "$work/home/Papers/first.ptg" >"$work/answer"
start_program "^$product - Untitled\$" env HOME="$work/home" "$program"
splash_gone "^$product\$"
press_until ctrl+s '[ -s "$work/home/Papers/first.ptg" ]' || fail "Ctrl+S wrote no painting"
grep -qF -- "--filename=$work/home/Papers/Untitled.ptg" "$work/zenity.log" ||
    fail "the first save did not start in the documents: $(cat "$work/zenity.log")"
close_program
cp "$work/painting.ptg" "$work/third/sketch.ptg"
: >"$work/zenity.log"
echo "$work/third/sketch.ptg" >"$work/answer"
cd "$work/third"
start_program "^$product - sketch\$" env HOME="$work/home" "$program" sketch.ptg
cd "$work"
splash_gone "^$product\$"
press_until ctrl+o '[ -s "$work/zenity.log" ]' || fail "Ctrl+O asked for no file"
grep -qF -- "--filename=$work/third/ " "$work/zenity.log" ||
    fail "Open did not start in the folder of the painting named: $(cat "$work/zenity.log")"
close_program

# error_box TITLE NAME WHAT [TEXT]: waits for the error box titled TITLE (a pattern), screenshots
# the screen as NAME and closes the box with Return. SDL shows the box as a window of its own, or
# the stand-in dialog program takes it when SDL cannot, asked either by the program (--title=TITLE)
# or by SDL itself (--title and TITLE apart); the stand-in's box says TEXT when one is given.
error_box() {
    local box_title=$1
    box=
    wait_until 'grep -qE -- "--title(=| )$box_title( |\$)" "$work/zenity.log" ||
        { box=$(xdotool search --onlyvisible --name "^$box_title\$" 2>/dev/null | head -1) && [ -n "$box" ]; }' ||
        fail "$3 showed no error box"
    [ -n "$box" ] || [ -z "${4:-}" ] || grep -qF -- "$4" "$work/zenity.log" ||
        fail "$3 was told otherwise: $(cat "$work/zenity.log")"
    if [ -n "$box" ]; then
        screen "$2"
        xdotool windowfocus --sync "$box" 2>/dev/null || true
        xdotool key Return
        wait_gone "^$box_title\$" || fail "Return left the error box up"
    fi
    : >"$work/zenity.log"
}
# new_painting WHAT: waits for the new painting that follows a file that could not be opened.
new_painting() {
    window=$(find_window "^$product - Untitled\$") ||
        fail "no new painting after $1"
    splash_gone "^$product\$"
    xdotool windowfocus --sync "$window" 2>/dev/null || true
}
# A named pipe that no program writes is not a painting: named on the command line, it brings the
# error box at once, never a program waiting on the pipe, and the program goes on.
mkfifo "$work/pipe.ptg" "$work/pipe.png"
: >"$work/zenity.log"
"$program" "$work/pipe.ptg" >"$work/stdout" 2>"$work/stderr" &
pid=$!
error_box "Cannot Open File" kostrel-pipe-argument "the pipe named on the command line" \
    "The painting could not be opened."
new_painting "the pipe"
close_program

# A file of random bytes named on the command line: the error box, then the program goes on as
# when started without a file. Open and Ctrl+T given the pipes bring the error box too; a stroke
# paints and Ctrl+S writes a painting that opens again.
head -c 5000 /dev/urandom >"$work/random.ptg"
: >"$work/zenity.log"
"$program" "$work/random.ptg" >"$work/stdout" 2>"$work/stderr" &
pid=$!
error_box "Unreadable File" kostrel-random-argument "the unreadable painting" \
    "This file is not a Kostrel painting, or it is damaged."
[ -s "$work/splash-at-box.log" ] && fail "the box at start came while the splash stood above it"
new_painting "the unreadable one"
# The keys go again while the program has not asked for a file, in case they raced their modifier.
echo "$work/pipe.ptg" >"$work/answer"
press_until ctrl+o 'grep -q -- "--file-selection" "$work/zenity.log"' || fail "Ctrl+O asked for no file"
error_box "Cannot Open File" kostrel-pipe-open "the pipe chosen in Open" "The painting could not be opened."
echo "$work/pipe.png" >"$work/answer"
press_until ctrl+t 'grep -q -- "--file-selection" "$work/zenity.log"' || fail "Ctrl+T asked for no file"
error_box "File Error" kostrel-pipe-tracing "the pipe chosen as the tracing image"
xdotool windowfocus --sync "$window" 2>/dev/null || true
# A save to a name that a folder holds fails as a save: no file could be written, and the box
# says that the painting could not be saved.
mkdir "$work/folder.ptg"
echo "$work/folder.ptg" >"$work/answer"
press_until ctrl+s 'grep -q -- "--save" "$work/zenity.log"' || fail "Ctrl+S asked for no file"
error_box "File Error" kostrel-save-failed "the save to a folder" "The painting could not be saved."
xdotool windowfocus --sync "$window" 2>/dev/null || true
echo "$work/rescued.ptg" >"$work/answer"
xdotool mousemove 200 400
shot_settled kostrel-rescued-blank || fail "the window kept changing"
drag_stroke
xdotool mousemove 700 740
shot_until kostrel-rescued-stroke 'above "$(changed kostrel-rescued-blank kostrel-rescued-stroke 500x30+200+385)" 0.05' ||
    fail "after the unreadable painting a drag painted nothing"
press_until ctrl+s '[ -s "$work/rescued.ptg" ]' || fail "Ctrl+S wrote no painting"
close_program
start_program "^$product - rescued\$" "$program" "$work/rescued.ptg"
close_program
echo "stroke difference $along, prompt $prompt, reopened $again; screenshots in $shots"

# The panel widgets' driver, built beside the tests, runs on the same display.
driver="$(dirname "$program")/../tests/panels_e2e_driver"
[ -x "$driver" ] || fail "no panel widgets' driver at $driver"
"$here/panels-end-to-end.sh" --inside "$driver" || fail "the panel widgets' steps"
