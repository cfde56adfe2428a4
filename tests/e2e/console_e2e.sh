#!/usr/bin/env bash
# The presenter console under Xvfb with two monitors, driven as an operator drives it: F12 puts the draw
# screen on the projector, F8 opens the console on the primary monitor, and Space, F7 and Ctrl+F typed into the
# console act on the draw. The progress file is byte for byte the one that the same presses write on the draw
# screen (time() is held still, so both runs draw the same random numbers), and the console's miniature is a
# downscaled copy of the projector.
#
#   console_e2e.sh <kelvora> <kelvora_e2e_tool> <libkelvora_fixed_time.so>
#   KELVORA_SCREENSHOTS=1 also writes docs/screenshots/console.png (both monitors) and console-window.png of
#   the source tree.
#
# Exit 77 (skipped) when Xvfb, xdotool, xrandr, xset or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
FIXED_TIME=$(readlink -f "$3")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool xrandr xset import compare convert
e2e_setup console
"$TOOL" fixture "$RUN"
cp -r "$RUN" "$WORK/fixture"
# The preloaded library comes before the sanitizer's runtime in a sanitized build.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0"

start_program() {
  (cd "$RUN" && LD_PRELOAD="$FIXED_TIME" exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
  APP_PID=$!
  wait_for "the draw screen" full_screen_window
  MAIN_WIN=$(full_screen_window)
  sleep 0.5
  [ "$(captioned)" = 1 ] || fail "a message box at start-up: $(cat "$WORK/kelvora.log")"
}

stop_program() {
  kill -9 "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

progress() { "$TOOL" progress "$RUN"; }
progress_has() { progress | grep -qx "$1"; }
geometry_of() {
  xdotool getwindowgeometry "$1" | awk '/Position/ {split($2, p, ","); x = p[1]; y = p[2]}
    /Geometry/ {print x "," y " " $2}'
}
on_projector() { [ "$(geometry_of "$MAIN_WIN")" = "1920,0 1280x720" ]; }

# Two presses of the first prize, each saved at its stop.
two_presses() {
  key space
  key space
  sleep 0.4
  key space
  wait_for "the first stop to be saved" progress_has "drawn 2"
  key space
  sleep 0.4
  key space
  wait_for "the second stop to be saved" progress_has "drawn 4"
}

start_xvfb 3200x1080
xrandr --setmonitor '*PRIMARY' 1920/508x1080/286+0+0 screen >/dev/null
xrandr --setmonitor PROJECTOR 1280/339x720/190+1920+0 none >/dev/null
xset q | grep -q "Caps Lock:   off" || key Caps_Lock
# Caps Lock on: the white list decides, as the show would have it.
key Caps_Lock

STEP="the presses on the draw screen, for comparison"
start_program
key F12
wait_for "the move to the projector" on_projector
xdotool mousemove 2500 300 click 1
sleep 0.2
two_presses
cp "$RUN/抽取进度(勿删)/抽取进度.dat" "$WORK/on-the-draw-screen.dat"
stop_program
rm -rf "$RUN"
cp -r "$WORK/fixture" "$RUN"

STEP="F12 and F8: the console opens on the primary monitor"
start_program
key F12
wait_for "the move to the projector" on_projector
key F8
wait_for "the console" has_window '^导播台$'
CONSOLE=$(window_of '^导播台$')
read -r cx cy < <(window_origin "$CONSOLE")
[ "$cx" -lt 1920 ] || fail "the console opened on the projector at $cx,$cy"
on_projector || fail "F8 moved the draw screen: $(geometry_of "$MAIN_WIN")"

STEP="Space typed into the console draws as on the draw screen"
focus_window '^导播台$'
two_presses
cmp -s "$WORK/on-the-draw-screen.dat" "$RUN/抽取进度(勿删)/抽取进度.dat" ||
  fail "the console's presses saved another draw: $(progress)"

STEP="the miniature is the projector's frame, scaled down"
sleep 0.6
MINI=$(window_of '^导播台画面$')
[ -n "$MINI" ] || fail "no miniature window"
import -window root "$WORK/desktop.png"
import -window "$MINI" "$WORK/miniature-box.png"
read -r mw mh < <(identify -format '%w %h\n' "$WORK/miniature-box.png")
# The frame is fitted into the box, its shape kept, and centred (QSize::scaled with KeepAspectRatio).
pw=$((mh * 1280 / 720)); ph=$mh
if [ "$pw" -gt "$mw" ]; then pw=$mw; ph=$((mw * 720 / 1280)); fi
convert "$WORK/miniature-box.png" -crop "${pw}x${ph}+$(((mw - pw) / 2))+$(((mh - ph) / 2))" +repage "$WORK/mini.png"
convert "$WORK/desktop.png" -crop 1280x720+1920+0 +repage -resize "${pw}x${ph}!" "$WORK/projector.png"
# compare exits 1 when the images differ at all; the measure is what counts.
error=$(compare -metric RMSE "$WORK/mini.png" "$WORK/projector.png" null: 2>&1 || true)
error=$(sed -E 's/.*\((.*)\).*/\1/' <<<"$error")
awk -v e="$error" 'BEGIN { exit !(e < 0.03) }' || fail "the miniature differs from the projector: RMSE $error"
if [ -n "$SHOTS" ]; then
  cp "$WORK/desktop.png" "$SHOTS/console.png"
  import -window "$CONSOLE" "$SHOTS/console-window.png"
fi

STEP="F7 typed into the console opens the winners window; the keyboard comes back"
key F7
wait_for "the winners window" has_window '^中奖名单管理$'
focus_window '^中奖名单管理$'
key Escape
wait_for "the winners window to close" gone '^中奖名单管理$'
[ "$(xdotool getwindowfocus)" = "$CONSOLE" ] || focus_window '^导播台$'

STEP="Ctrl+F typed into the console ends the draw"
key ctrl+f
wait_for "the end-of-draw question" has_captioned 2
key y
wait_for "the progress file to go" test ! -e "$RUN/抽取进度(勿删)/抽取进度.dat"
history_files=("$RUN"/历史记录/*.txt)
[ "${#history_files[@]}" = 1 ] || fail "one history file expected"
"$TOOL" history "${history_files[0]}" | grep -qx "三等奖" || fail "history: $("$TOOL" history "${history_files[0]}")"

STEP="F8 typed into the console closes it and remembers its place"
[ "$(xdotool getwindowfocus)" = "$CONSOLE" ] || focus_window '^导播台$'
key F8
wait_for "the console to close" gone '^导播台$'
[ -f "$RUN/参数设置(勿删)/导播台设置.dat" ] || fail "no console settings written"
! process_gone "$APP_PID" || fail "closing the console ended the program"

key Caps_Lock
STEP="done"
echo "PASS: end-to-end presenter console"
