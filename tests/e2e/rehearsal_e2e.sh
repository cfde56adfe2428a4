#!/usr/bin/env bash
# Rehearsal mode in the real program under Xvfb: a real stop, then "彩排模式..." from the right-click menu,
# three presses, a kill -9 that must restart in the rehearsal, and leaving it: the progress and history folders
# are byte for byte what they were before the rehearsal.
#
#   rehearsal_e2e.sh <kelvora> <kelvora_e2e_tool>
#
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool import
e2e_setup rehearsal
"$TOOL" fixture "$RUN"

start_program() {
  (cd "$RUN" && exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
  APP_PID=$!
  wait_for "the draw screen" full_screen_window
  MAIN_WIN=$(full_screen_window)
  sleep 0.5
  [ "$(captioned)" = 1 ] || fail "a message box at start-up: $(cat "$WORK/kelvora.log")"
  xdotool mousemove 960 540 click 1
  sleep 0.2
}

progress() { "$TOOL" progress "$RUN"; }
progress_has() { progress | grep -qx "$1"; }
rehearsal_progress() { "$TOOL" progress "$RUN" "$RUN/彩排(退出彩排时删除)/抽取进度(勿删)/抽取进度.dat"; }
rehearsal_has() { rehearsal_progress | grep -qx "$1"; }
# Both folders as one listing of names and checksums.
real_state() { (cd "$RUN" && { find 抽取进度\(勿删\) 历史记录 -type f -exec md5sum {} + 2>/dev/null || true; } | sort); }

# "参数设置" is the first entry of the main menu, "彩排模式..." the seventh of its sub-menu.
rehearsal_menu() {
  xdotool mousemove 960 540 click 3
  sleep 0.4
  key Down
  key Right
  key Down Down Down Down Down Down
  key Return
  wait_for "the rehearsal question" has_captioned 2
  key y
  wait_for "the question to close" test "$(captioned)" = 1
}

start_xvfb 1920x1080

STEP="a real stop"
start_program
key space
key space
sleep 0.3
key space
wait_for "the real stop to be saved" progress_has "drawn 2"
before=$(real_state)
[ -n "$before" ] || fail "nothing saved before the rehearsal"

STEP="rehearsal on: three presses go to the rehearsal folder"
rehearsal_menu
wait_for "the rehearsal folder" test -f "$RUN/彩排(退出彩排时删除)/彩排中.txt"
key space
key space
sleep 0.3
key space
wait_for "the rehearsal's stop to be saved" rehearsal_has "drawn 2"
[ "$(real_state)" = "$before" ] || fail "the rehearsal wrote into the real folders"
import -window root "$WORK/rehearsal.png"
[ -n "$SHOTS" ] && cp "$WORK/rehearsal.png" "$SHOTS/rehearsal.png"

STEP="kill -9 during the rehearsal: the restart goes on in it"
kill -9 "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
APP_PID=""
start_program
[ -f "$RUN/彩排(退出彩排时删除)/彩排中.txt" ] || fail "the restart left the rehearsal"
key space
key space
sleep 0.3
key space
wait_for "the next rehearsal stop" rehearsal_has "drawn 4"
[ "$(real_state)" = "$before" ] || fail "the restart drew on the real progress"

STEP="rehearsal off: everything as it was before"
rehearsal_menu
wait_for "the rehearsal folder to go" test ! -e "$RUN/彩排(退出彩排时删除)"
[ "$(real_state)" = "$before" ] || fail "the real folders changed: $(real_state)"
progress_has "drawn 2" || fail "the real draw did not come back"

STEP="done"
echo "PASS: end-to-end rehearsal"
