#!/usr/bin/env bash
# The update pane and the progress pane of the program on a virtual display, driven with xdotool.
# The program is copied into a folder of its own beside a copy of the Resources folder whose
# string table points the update manifest (0xB2D05E47) at an nginx on the loopback: Ctrl+U shows
# the checking text, then the manifest's title and notes; with nginx stopped it shows the failure
# text; Ctrl+S on a large painting opened from its file shows the progress pane with a
# percentage while it saves, and the pane is gone afterwards.
# Usage: PROGRAM PAINTING_MAKER RESOURCES TRFC STRINGS_SOURCE SHOT_FOLDER.
set -euo pipefail

source "$(dirname "$0")/xvfb-session.sh"
program=$2
maker=$3
resources=$4
trfc=$5
strings=$6
shots=${7:-$(mktemp -d)}
mkdir -p "$shots"
nginx=
trap '[ -n "$nginx" ] && kill "$nginx" 2>/dev/null; cleanup' EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/app" "$work/web" "$work/nginx" "$work/config"
cp "$program" "$work/app/kostrel"
cp "$maker" "$work/app/kostrel_painting_maker"
cp -r "$resources" "$work/app/Resources"
sed "s#^0xB2D05E47 .*#0xB2D05E47 \"update.manifest\" \"127.0.0.1:$port|/updates/manifest.txt\"#" "$strings" \
    >"$work/strings.src"
grep -q "127.0.0.1:$port" "$work/strings.src" || fail "the manifest address was not replaced"
"$trfc" "$work/strings.src" "$work/app/Resources/system.tsf" || fail "the string table did not compile"

mkdir -p "$work/web/updates"
printf '*2.5\r\n+https://kostrel.example.org/releases/2.5\r\n+Wet-in-wet watercolour for the oil brush.\r\n+Important: the paper library moved{https://kostrel.example.org/papers}\r\nBrushes:Oil|0307%%oil.txt\r\n' \
    >"$work/web/updates/manifest.txt"
cat >"$work/nginx/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 16; }
http {
  access_log off;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  server {
    listen 127.0.0.1:$port;
    root $work/web;
  }
}
CONF
/usr/sbin/nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" 2>"$work/nginx/stderr" &
nginx=$!
for i in $(seq 50); do
    curl -sf "http://127.0.0.1:$port/updates/manifest.txt" >/dev/null 2>&1 && break
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2).close()" 2>/dev/null && break
    sleep 0.1
done

# The painting is large enough that its save lasts well past the progress pane's 200 ms show
# delay, however fast the machine: the frames taken beside a loaded machine's other work see it.
"$work/app/kostrel_painting_maker" "$work/painting.ptg" 4800 3600 >"$work/stdout" 2>"$work/stderr" || fail "the painting was not made"
[ -s "$work/painting.ptg" ] || fail "the painting maker wrote no file"
"$work/app/kostrel" "$work/painting.ptg" >"$work/stdout" 2>"$work/stderr" &
pid=$!

# The main window is titled with the painting's name once the painting is open.
window=$(find_window '^Kostrel 2 - painting' 90) ||
    fail "no main window with the painting appeared"
# The splash stays up for a while after the window came.
splash_gone '^Kostrel 2$'
xdotool windowfocus --sync "$window" 2>/dev/null || true

# The share of pixels in an area close to a colour (#RRGGBB).
share() {
    convert "$shots/$1.png" -crop "$2" -fuzz "${4:-12}%" -fill white -opaque "$3" -fill black +opaque white \
        -colorspace gray -format '%[fx:mean]' info:
}
above() { awk "BEGIN { exit !($1 > $2) }"; }

shot_settled start || fail "the window kept changing"
# The update pane: checking first, the report a second after the answer.
# The checking text stays at least a second before the report replaces it: the window is dumped
# as fast as the server gives it and the dumps are looked at afterwards, so that a slow machine,
# whose conversions take longer than that second, still sees it. The first dump that shows the
# pane is the checking shot. Ctrl+U goes again while no pane shows: a key that comes while the
# program still starts up is not taken.
checking_shot() {
    local dump
    rm -f "$work"/checking-*.xwd
    xdotool key --window "$window" ctrl+u
    for dump in $(seq -w 40); do
        xwd -id "$window" -silent >"$work/checking-$dump.xwd" 2>/dev/null || true
        sleep 0.03
    done
    for dump in "$work"/checking-*.xwd; do
        convert "xwd:$dump" -define png:compression-level=1 "$shots/checking.png" 2>/dev/null || continue
        above "$(share checking 480x240+300+240 "#E6E6F0" 4)" 0.15 && return 0
    done
    return 1
}
wait_until checking_shot || true
shot_until report 'above "$(share report 480x240+300+240 "#DDE79E" 4)" 0.02' || true
# The pane is centred 31 to the right of the window's centre. Its text card is light; the
# headline's band glows green (#D3E842 at 120 over the card) for a newer release and red
# (#E85942) for a failure.
pane=480x240+300+240
card=$(share checking "$pane" '#E6E6F0' 4)
above "$card" 0.15 || fail "no update pane in the checking shot (light share $card)"
green='#DDE79E'
red='#E7A49E'
checking_glow=$(share checking "$pane" "$green" 4)
above 0.002 "$checking_glow" || fail "the checking text glows (share $checking_glow)"
newer=$(share report "$pane" "$green" 4)
above "$newer" 0.02 || fail "the report shows no newer release (glow share $newer)"
diff_text=$(changed checking report 380x150+320+305)
above "$diff_text" 0.002 || fail "the report did not replace the checking text (difference $diff_text)"
xdotool key --window "$window" Escape
shot_until closed 'above 0.02 "$(share closed "$pane" "#E6E6F0" 4)"' || fail "Escape left the update pane up"

# With the server gone the check fails.
kill "$nginx"
wait "$nginx" 2>/dev/null || true
nginx=
key_until failed "--window $window ctrl+u" 'above "$(share failed 480x240+300+240 "#E6E6F0" 4)" 0.15' ||
    fail "Ctrl+U showed no update pane the second time"
shot_until failed 'above "$(share failed 480x240+300+240 "#E7A49E" 4)" 0.02' || true
failed_glow=$(share failed "$pane" "$red" 4)
above "$failed_glow" 0.02 || fail "the failure shows no red glow (share $failed_glow)"
failed_green=$(share failed "$pane" "$green" 4)
above 0.002 "$failed_green" || fail "the failure still shows the report's glow (share $failed_green)"
diff_failed=$(changed report failed 380x150+320+305)
above "$diff_failed" 0.002 || fail "the failure looks like the report (difference $diff_failed)"
xdotool key --window "$window" Escape
shot_until failed-closed 'above 0.02 "$(share failed-closed "$pane" "#E6E6F0" 4)"' || fail "Escape left the update pane up"

# The progress pane while the painting saves. The pane is 220 x 94, centred in the 1024 x 768
# window, its bar's track at (22, 52) of it; its panel is #404064 and the bar the accent colour
# running from deep to light. The pane's area is taken as fast as it comes, from before the key
# until a second after the file was written (a few seconds under the sanitizers), and looked at
# afterwards.
# A stroke changes the painting, so that Ctrl+S has something to save; it is drawn at a hand's
# pace.
xdotool mousemove 300 600 mousedown 1
for x in $(seq 300 40 700); do
    xdotool mousemove "$x" 620
    sleep 0.02
done
xdotool mouseup 1
xdotool mousemove 1000 20
shot_until idle 'above "$(changed failed-closed idle 440x60+280+590)" 0' || fail "the stroke does not show"
shot_settled idle || fail "the window kept changing after the stroke"
mkdir -p "$work/frames"
written() { stat -c '%i %y' "$work/painting.ptg"; }
before=$(written)
( for i in $(seq -w 2000); do
      xwd -id "$window" -silent 2>/dev/null | convert xwd:- -crop 220x94+402+337 +repage \
          "png:$work/frames/$i.png" 2>/dev/null || true
      [ -e "$work/frames/stop" ] && break
  done ) &
frames=$!
# The share of a frame's area close to a colour.
frame_share() {
    convert "$1" -crop "$2" -fuzz "$4%" -fill white -opaque "$3" -fill black +opaque white \
        -colorspace gray -format '%[fx:mean]' info:
}
# Whether the last frame taken shows no pane.
no_pane() {
    local last share
    last=$(find "$work/frames" -name '*.png' | sort | tail -2 | head -1)
    [ -n "$last" ] && share=$(frame_share "$last" 220x94+0+0 '#404064' 12) && [ -n "$share" ] && ! above "$share" 0.2
}
# The frames start before the key.
sleep 0.2
patience=60 press_until "--window $window ctrl+s" '[ "$(written)" != "$before" ]' || true
# The frames go on for a second after the file was written, and until they show the pane gone.
sleep 1
wait_until no_pane || true
touch "$work/frames/stop"
wait "$frames" || true
[ "$(written)" != "$before" ] || fail "the painting was not saved"
seen=
filled=
gone=
for frame in "$work"/frames/*.png; do
    panel=$(frame_share "$frame" 220x94+0+0 '#404064' 12) || continue
    if above "$panel" 0.2; then
        [ -n "$seen" ] || seen=$frame
        if [ -z "$filled" ] && above "$(frame_share "$frame" 108x12+26+57 '#E0A050' 20)" 0.1; then
            filled=$frame
        fi
    elif [ -n "$seen" ]; then
        gone=$frame
        break
    fi
done
[ -n "$seen" ] || fail "no progress pane while the painting saved" \
    "($(find "$work/frames" -name '*.png' | wc -l) frames taken)"
[ -n "$gone" ] || fail "the progress pane stayed after the save"
cp "$seen" "$shots/saving-start.png"
# A save that ends within the pane's 200 ms show delay sends it no update, so the bar stays
# empty on a fast machine: its growth is kept when a slower run shows it.
[ -z "$filled" ] || cp "$filled" "$shots/saving-bar.png"
cp "$gone" "$shots/saved.png"
seen=$(basename "$seen" .png)
filled=${filled:+$(basename "$filled" .png)}

for i in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    [ $((i % 30)) -eq 1 ] && xdotool key alt+F4
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Alt+F4 did not close the program"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with $status"
echo "update pane: card $card, newer glow $newer, report change $diff_text, failure change $diff_failed" \
     "(failure glow $failed_glow); progress pane from shot $seen, bar in shot ${filled:-none}"
