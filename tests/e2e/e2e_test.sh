#!/usr/bin/env bash
# The real program under Xvfb, driven with xdotool the way an operator drives it: Space through a draw with
# the progress file checked after every stop, a kill and a restart that resumes, Caps Lock with a white list,
# a second instance, Ctrl+F with its question, F10, F11 and F12 on one and on two monitors.
#
#   e2e_test.sh <kelvora> <kelvora_e2e_tool> <kelvora_sample_data>
#   KELVORA_SCREENSHOTS=1 also writes docs/screenshots/{idle,scrolling,stopped}.png of the source tree
#   (KELVORA_SOURCE_DIR), or into the folder the variable names.
#
# Exit 77 (skipped) when Xvfb, xdotool, xrandr, xset or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
SAMPLE=$(readlink -f "$3")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool xrandr xset import compare
e2e_setup e2e
"$TOOL" fixture "$RUN"

visible_windows() { xdotool search --onlyvisible --name '^Kelvora 3\.9$' 2>/dev/null | wc -l; }
has_windows() { [ "$(visible_windows)" -ge "$1" ]; }
has_window_named() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

start_program() {
  (cd "$RUN" && exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
  APP_PID=$!
  wait_for "the draw screen" has_windows 1
  MAIN_WIN=$(xdotool search --onlyvisible --name '^Kelvora 3\.9$' | head -n 1)
  # A message at start-up (a missing package, a broken file) would sit on top of everything below.
  sleep 0.5
  [ "$(visible_windows)" = 1 ] || fail "a message box at start-up: $(cat "$WORK/kelvora.log")"
  xdotool mousemove 960 540
}

stop_program() {
  kill -9 "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

geometry() {
  xdotool getwindowgeometry "$MAIN_WIN" | awk '/Position/ {split($2, p, ","); x = p[1]; y = p[2]}
    /Geometry/ {print x "," y " " $2}'
}

progress() { "$TOOL" progress "$RUN"; }
progress_has() { progress | grep -qx "$1"; }

screenshot() {
  import -window root "$1"
}

save_shot() {
  [ -n "$SHOTS" ] && cp "$1" "$SHOTS/$2.png"
  return 0
}

key() {
  xdotool key "$@"
  sleep 0.15
}

# F10, the four fields typed, Enter; returns when the dialog has closed.
windowed_dialog() {
  key F10
  wait_for "the 窗口化 dialog" has_window_named '^窗口化$'
  local value
  for value in "$1" "$2" "$3"; do
    key ctrl+a
    xdotool type "$value"
    key Tab
  done
  key ctrl+a
  xdotool type "$4"
  key Return
  wait_for "the dialog to close" bash -c "! xdotool search --onlyvisible --name '^窗口化$'"
}

# Bytes of the windowed settings file as five little-endian int32.
windowed_record() { od -An -t d4 -v "$RUN/参数设置(勿删)/窗口化设置.dat" | xargs; }

echo "== one monitor, 1920x1080"
start_xvfb 1920x1080
STEP="a fresh folder from the sample tool: the default background is there, no message"
[ -f "$RUN/内置资源/贺岁.jpg" ] || fail "no built-in backgrounds beside $PROGRAM"
FIXTURE_RUN=$RUN
RUN="$WORK/fresh"
mkdir -p "$RUN"
cp -r "$FIXTURE_RUN/kelvora" "$FIXTURE_RUN/内置资源" "$RUN/"
"$SAMPLE" "$RUN" "$RUN/内置资源" >/dev/null
start_program
# A message at start-up shows before the draw screen, so the one window must be the full-screen draw screen.
[ "$(geometry)" = "0,0 1920x1080" ] || fail "a message instead of the draw screen: $(geometry)"
sleep 0.5
[ "$(visible_windows)" = 1 ] || fail "a message box over the fresh folder"
! grep -q "背景图加载失败" "$WORK/kelvora.log" || fail "background warning: $(cat "$WORK/kelvora.log")"
stop_program
RUN=$FIXTURE_RUN

STEP="start-up without a draw"
start_program
[ "$(geometry)" = "0,0 1920x1080" ] || fail "full screen expected, got $(geometry)"
[ "$(progress)" = none ] || fail "no progress expected"
screenshot "$WORK/idle.png"
save_shot "$WORK/idle.png" idle

STEP="Caps Lock on: the white list decides the first press"
key Caps_Lock
xset q | grep -q "Caps Lock:   on" || fail "Caps Lock did not turn on"
key space
[ "$(progress)" = none ] || fail "starting a draw must not write the progress file"
key space
sleep 0.4
screenshot "$WORK/scrolling.png"
save_shot "$WORK/scrolling.png" scrolling
key space
wait_for "the first stop to be saved" progress_has "drawn 2"
progress >"$WORK/stop1.txt"
grep -qx "state 2" "$WORK/stop1.txt" || fail "state after a stop: $(cat "$WORK/stop1.txt")"
[ "$(grep '^slot ' "$WORK/stop1.txt" | xargs)" = "slot 李三号 slot 吴一号" ] ||
  fail "white-list winners in their order expected: $(cat "$WORK/stop1.txt")"
grep -qx "group 三等奖: 李三号 吴一号" "$WORK/stop1.txt" || fail "winners group: $(cat "$WORK/stop1.txt")"
grep -qx "pool 38" "$WORK/stop1.txt" || fail "pool after two winners: $(cat "$WORK/stop1.txt")"
key Caps_Lock
xset q | grep -q "Caps Lock:   off" || fail "Caps Lock did not turn off"
screenshot "$WORK/stopped.png"
save_shot "$WORK/stopped.png" stopped

STEP="a second press: random winners, each wins once"
key space
key space
wait_for "the second stop to be saved" progress_has "drawn 4"
progress >"$WORK/stop2.txt"
mapfile -t slots < <(sed -n 's/^slot //p' "$WORK/stop2.txt")
[ "${#slots[@]}" = 2 ] || fail "two names on screen expected: $(cat "$WORK/stop2.txt")"
group=$(sed -n 's/^group 三等奖: //p' "$WORK/stop2.txt")
[ "$group" = "李三号 吴一号 ${slots[0]} ${slots[1]}" ] || fail "group holds the stops in order: $group"
grep -qx "pool 36" "$WORK/stop2.txt" || fail "pool after four winners"
sleep 0.3
screenshot "$WORK/before-kill.png"

STEP="kill and restart: the saved state comes back"
saved_sum=$(md5sum "$RUN/抽取进度(勿删)/抽取进度.dat")
stop_program
start_program
same_screen() {
  screenshot "$WORK/after-restart.png"
  [ "$(compare -metric AE "$WORK/before-kill.png" "$WORK/after-restart.png" null: 2>&1)" = 0 ]
}
wait_for "the resumed screen to match the one before the kill" same_screen
[ "$(md5sum "$RUN/抽取进度(勿删)/抽取进度.dat")" = "$saved_sum" ] || fail "starting changed the progress file"

STEP="a second instance, even from a shell with another TMPDIR, exits at once and the first stays"
mkdir -p "$WORK/other-tmp"
set +e
(cd "$RUN" && TMPDIR="$WORK/other-tmp" timeout 20 ./kelvora) >>"$WORK/kelvora.log" 2>&1
second_rc=$?
set -e
[ "$second_rc" = 0 ] || fail "the second instance exited with $second_rc"
! process_gone "$APP_PID" || fail "the first instance is gone"
[ "$(visible_windows)" = 1 ] || fail "the second instance showed a window"

STEP="F12 without an extended screen"
key F12
wait_for "the 无扩展屏 message" has_windows 2
key Return
wait_for "the message to close" test "$(visible_windows)" = 1
[ "$(geometry)" = "0,0 1920x1080" ] || fail "F12 without a projector moved the window"

STEP="Ctrl+F: No is the default"
key ctrl+f
wait_for "the end-of-draw question" has_windows 2
key Return
wait_for "the question to close" test "$(visible_windows)" = 1
[ -f "$RUN/抽取进度(勿删)/抽取进度.dat" ] || fail "answering No removed the progress file"
[ ! -d "$RUN/历史记录" ] || [ -z "$(ls -A "$RUN/历史记录")" ] || fail "answering No wrote a history file"

STEP="Ctrl+F: Yes writes the history and removes the progress"
key ctrl+f
wait_for "the end-of-draw question" has_windows 2
key y
wait_for "the progress file to go" test ! -e "$RUN/抽取进度(勿删)/抽取进度.dat"
history_files=("$RUN"/历史记录/*.txt)
[ "${#history_files[@]}" = 1 ] || fail "one history file expected"
printf '三等奖\n--------------------------------\n李三号\n吴一号\n%s\n%s\n' "${slots[0]}" "${slots[1]}" >"$WORK/history.expected"
"$TOOL" history "${history_files[0]}" >"$WORK/history.txt"
cmp -s "$WORK/history.expected" "$WORK/history.txt" || fail "history file: $(cat "$WORK/history.txt")"

STEP="Alt+F4 with no draw exits without a question"
key alt+F4
wait_for "the program to exit" process_gone "$APP_PID"
wait "$APP_PID" && exit_rc=0 || exit_rc=$?
APP_PID=""
[ "$exit_rc" = 0 ] || fail "the program exited with $exit_rc"

echo "== one monitor, 1280x768: F10 and F11"
start_xvfb 1280x768
STEP="F10 clamps 2000x1000 at (500,300) to the screen"
start_program
windowed_dialog 500 300 2000 1000
[ "$(windowed_record)" = "0 0 0 1280 768" ] || fail "windowed settings: $(windowed_record)"
[ "$(geometry)" = "0,0 1280x768" ] || fail "window after F10: $(geometry)"

STEP="F10 places the window where typed"
windowed_dialog 100 50 640 480
[ "$(windowed_record)" = "0 100 50 640 480" ] || fail "windowed settings: $(windowed_record)"
wait_for "the window to move" test "$(geometry)" = "100,50 640x480"

STEP="the windowed mode is applied at the next start, F11 returns to full screen"
stop_program
start_program
[ "$(geometry)" = "100,50 640x480" ] || fail "saved windowed mode not applied: $(geometry)"
xdotool mousemove 300 200 click 1
key F11
wait_for "full screen" test "$(geometry)" = "0,0 1280x768"
[ "$(windowed_record)" = "1 100 50 640 480" ] || fail "F11 must save full screen: $(windowed_record)"
stop_program

echo "== two monitors: F12"
start_xvfb 3200x1080
xrandr --setmonitor '*PRIMARY' 1920/508x1080/286+0+0 screen >/dev/null
xrandr --setmonitor PROJECTOR 1280/339x720/190+1920+0 none >/dev/null
STEP="F12 moves the draw screen onto the projector"
start_program
[ "$(geometry)" = "0,0 1920x1080" ] || fail "start on the primary monitor expected: $(geometry)"
key F12
wait_for "the move to the projector" test "$(geometry)" = "1920,0 1280x720"
[ "$(visible_windows)" = 1 ] || fail "F12 with a projector showed a message"
STEP="after a restart the saved mode is back on the primary monitor"
stop_program
start_program
[ "$(geometry)" = "0,0 1920x1080" ] || fail "restart must use the saved mode: $(geometry)"
stop_program

STEP="done"
echo "PASS: end-to-end draw screen"
