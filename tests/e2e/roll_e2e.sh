#!/usr/bin/env bash
# The rolls in the real program under Xvfb. A text event drawn to its end with Space: the next Space starts
# the replay, which rolls (two screenshots apart differ), pauses on Space, keeps F2 from opening its dialog,
# and ends on Esc; F6 then rolls the full list. A photo event (the sample data's) replays its first stop with
# Home and shows its full list with F6.
#
#   roll_e2e.sh <kelvora> <kelvora_e2e_tool> <kelvora_sample_data>
#   KELVORA_SCREENSHOTS=1 also writes docs/screenshots/{replay,full-list}-{text,photo}.png of the source tree
#   (KELVORA_SOURCE_DIR), or into the folder the variable names.
#
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
SAMPLE=$(readlink -f "$3")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool import compare convert
e2e_setup roll
start_xvfb 1920x1080

progress() { "$TOOL" progress "$RUN"; }
progress_has() { progress | grep -qx "$1"; }
grab() { import -window root "$WORK/$1.png"; }
same() { compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: >/dev/null 2>&1; }
save_shot() {
  [ -z "$SHOTS" ] || convert "$WORK/$1.png" -resize 1280x "$SHOTS/$2.png"
}
visible_windows() { xdotool search --onlyvisible --name '.' 2>/dev/null | wc -l; }

# Two screenshots half a second apart: the roll moves between them, a still screen does not.
expect_rolling() {
  grab "$1-a"
  sleep 0.5
  grab "$1-b"
  same "$1-a" "$1-b" && fail "$1: the screen does not move"
  return 0
}
expect_still() {
  grab "$1-a"
  sleep 0.5
  grab "$1-b"
  same "$1-a" "$1-b" || fail "$1: the screen still moves"
}

start_program() {
  (cd "$RUN" && exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
  APP_PID=$!
  wait_for "the draw screen" full_screen_window
  MAIN_WIN=$(full_screen_window)
  sleep 0.5
  [ "$(captioned)" = 1 ] || fail "a message box at start-up: $(cat "$WORK/kelvora.log")"
  xdotool mousemove 960 540
  xdotool windowfocus --sync "$MAIN_WIN"
}

stop_program() {
  kill -9 "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

STEP="the text event drawn to its end"
"$TOOL" fixture "$RUN"
start_program
# Start, then each prize's presses (scroll, stop) and the moves to the next prize.
key space
for _ in 1 2 3 4 5 6 7 8 9 10; do key space; sleep 0.3; done
wait_for "the last stop" progress_has "prize 2"
wait_for "the last winner" progress_has "drawn 1"
progress_has "state 2" || fail "the last prize is not stopped: $(progress)"
expect_still "stopped"

STEP="Space after the last prize: the replay"
key space
sleep 4
expect_rolling "replay"
save_shot replay-b replay-text

STEP="F2 does nothing while the replay rolls"
BEFORE=$(visible_windows)
key F2
sleep 0.7
[ "$(visible_windows)" = "$BEFORE" ] || fail "F2 opened a window during the replay"

STEP="Space pauses the replay and resumes it"
key space
sleep 0.3
expect_still "paused"
key space
sleep 0.3
expect_rolling "resumed"

STEP="Esc ends the replay"
key Escape
sleep 0.5
expect_still "replay-ended"
same "replay-ended-a" "stopped-a" || fail "the screen after the replay is not the stopped screen"

STEP="F6: the full list"
key F6
sleep 4
expect_rolling "full-list"
save_shot full-list-b full-list-text
key Escape
sleep 0.5
expect_still "full-list-ended"
stop_program

STEP="the photo event: its first stop replayed with Home"
# A new event in the same program folder: everything but the program and its built-in resources goes.
find "$RUN" -mindepth 1 -maxdepth 1 ! -name kelvora ! -name 内置资源 -exec rm -rf {} +
"$SAMPLE" --photos 60 "$RUN" "$RUN/内置资源" >/dev/null
start_program
key space
key space
sleep 1
key space
wait_for "the first photo stop" progress_has "state 2"
sleep 0.5
progress_has "prize 0" || fail "the photo event did not start afresh: $(progress)"
key Home
sleep 6
expect_rolling "replay-photo"
save_shot replay-photo-b replay-photo
key Escape
sleep 0.5

STEP="the photo event's full list"
key F6
sleep 6
expect_rolling "full-list-photo"
save_shot full-list-photo-b full-list-photo
key Escape
sleep 0.5
expect_still "photo-ended"
[ "$(captioned)" = 1 ] || fail "a message during the rolls: $(cat "$WORK/kelvora.log")"
echo "PASS"
