#!/usr/bin/env bash
# The winners window in the real program under Xvfb: a text event drawn until its second prize is full, F7,
# the last winner forfeits (the question answered Yes), Space draws the replacement, and F7 again exports the
# winners and the entrants not yet drawn into folders typed into the file dialog. The exported files must be,
# byte for byte, what the tool computes from the saved draw. Then a photo event whose "Wang.jpg" and
# "wang.jpg" both win: the forfeit of the second removes that one, not the first, and empties its own place.
#
#   winners_e2e.sh <kelvora> <kelvora_e2e_tool>
#   KELVORA_SCREENSHOTS=1 also writes docs/screenshots/winners-dialog.png of the source tree
#   (KELVORA_SOURCE_DIR), or into the folder the variable names.
#
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool import
e2e_setup winners
start_xvfb 1920x1080

progress() { "$TOOL" progress "$RUN"; }
progress_has() { progress | grep -qx "$1"; }
group_of() { progress | sed -n "s/^group $1: //p"; }

# Types a path into the save dialog that has the focus (its file name field) and confirms it.
save_to() {
  focus_window "^$1\$"
  xdotool type --delay 10 "$2"
  key Return
  wait_for "the file dialog to close" gone "^$1\$"
}

STEP="start-up"
"$TOOL" fixture "$RUN"
(cd "$RUN" && exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
APP_PID=$!
wait_for "the draw screen" full_screen_window
MAIN_WIN=$(full_screen_window)
sleep 0.5
[ "$(captioned)" = 1 ] || fail "a message box at start-up: $(cat "$WORK/kelvora.log")"
xdotool mousemove 960 540
xdotool windowfocus --sync "$MAIN_WIN"

STEP="F7 before the draw does nothing"
key F7
sleep 0.7
gone '^中奖名单管理$' || fail "the winners window opened without a draw"

STEP="the draw up to the full second prize"
# Start; 三等奖 (4, two a press): scroll, stop, scroll, stop; the next prize; 一等奖 (2): scroll, stop.
key space
for _ in 1 2 3 4 5 6 7; do
  key space
  sleep 0.4
done
wait_for "the second prize's stop" progress_has "prize 1"
wait_for "its two winners" progress_has "drawn 2"
progress_has "state 2" || fail "the second prize is not stopped: $(progress)"
read -r -a FIRST_PRIZE <<<"$(group_of 一等奖)"
[ "${#FIRST_PRIZE[@]}" = 2 ] || fail "一等奖 has not two winners: $(progress)"
FORFEITER=${FIRST_PRIZE[1]}

# F7, then the last row forfeits (弃奖, answered Yes); a screenshot name takes the window before the forfeit.
forfeit_last_row() {
  key F7
  focus_window '^中奖名单管理$'
  WINNERS_WIN=$WIN
  # The list has the focus: Ctrl+End selects the last row.
  key ctrl+End
  [ -z "${1:-}" ] || shot "$WINNERS_WIN" "$1"
  key alt+d
  dismiss_message "确定弃奖？"
}

STEP="F7: the last winner forfeits"
forfeit_last_row winners-dialog
wait_for "the forfeit saved" progress_has "drawn 1"
progress_has "group 一等奖: ${FIRST_PRIZE[0]}" || fail "the forfeit left 一等奖 as: $(progress)"
progress_has "slot $FORFEITER" || fail "the forfeiter's place is gone from the screen's slots: $(progress)"
xdotool windowfocus --sync "$WINNERS_WIN"
key Escape
wait_for "the winners window to close" gone '^中奖名单管理$'

STEP="Space draws the replacement"
xdotool windowfocus --sync "$MAIN_WIN"
key space
sleep 0.5
key space
wait_for "the replacement's stop" progress_has "drawn 2"
read -r -a REDRAWN <<<"$(group_of 一等奖)"
[ "${#REDRAWN[@]}" = 2 ] || fail "一等奖 has not two winners again: $(progress)"
[ "${REDRAWN[0]}" = "${FIRST_PRIZE[0]}" ] || fail "the first winner changed: $(progress)"
[ "${REDRAWN[1]}" != "$FORFEITER" ] || fail "the forfeiter, not back in the pool, won again"

STEP="F7 again: both exports"
key F7
focus_window '^中奖名单管理$'
WINNERS_WIN=$WIN
# From the list: Tab to the check box, "弃奖", "导出中奖名单..."; Space presses the focused button.
key Tab Tab Tab
key space
save_to 导出中奖名单 "$WORK/winners-export"
dismiss_message "导出成功 (winners)"
xdotool windowfocus --sync "$WINNERS_WIN"
sleep 0.2
# The focus is back on "导出中奖名单...": the next button is "导出未中奖名单...".
key Tab
key space
save_to 导出未中奖名单 "$WORK/not-yet-won-export"
dismiss_message "导出成功 (not yet won)"
xdotool windowfocus --sync "$WINNERS_WIN"
key Escape
wait_for "the winners window to close" gone '^中奖名单管理$'

STEP="the exported files, byte for byte"
"$TOOL" export-expect "$RUN" "$WORK/expected"
diff -r "$WORK/expected/winners" "$WORK/winners-export" || fail "the winners export differs"
diff -r "$WORK/expected/not-yet-won" "$WORK/not-yet-won-export" || fail "the not-yet-won export differs"
"$TOOL" history "$WORK/winners-export/全部奖项.txt" >"$WORK/all.txt" || fail "全部奖项.txt is not UTF-16 with its mark"
for line in 三等奖 一等奖 "--------------------" "${REDRAWN[1]}"; do expect_line "$WORK/all.txt" "$line"; done
grep -qxF "$FORFEITER" "$WORK/all.txt" && fail "the forfeiter is still among the winners"
[ "$(head -c 2 "$WORK/not-yet-won-export/_还未中奖名单.txt" | od -An -tx1 | tr -d ' ')" = fffe ] ||
  fail "_还未中奖名单.txt does not begin with FF FE"

kill "$APP_PID" 2>/dev/null || true
wait "$APP_PID" 2>/dev/null || true
APP_PID=""

STEP="photo mode: Wang.jpg and wang.jpg both win"
mkdir -p "$WORK/photo-run"
cp "$RUN/kelvora" "$WORK/photo-run/"
if [ -d "$RUN/内置资源" ]; then cp -r "$RUN/内置资源" "$WORK/photo-run/"; fi
RUN="$WORK/photo-run"
"$TOOL" names-alike-fixture "$RUN"
(cd "$RUN" && exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
APP_PID=$!
wait_for "the photo draw screen" full_screen_window
MAIN_WIN=$(full_screen_window)
sleep 0.5
[ "$(captioned)" = 1 ] || fail "a message box at start-up in photo mode: $(cat "$WORK/kelvora.log")"
xdotool windowfocus --sync "$MAIN_WIN"
key space
key space
sleep 0.4
key space
wait_for "both photos' stop" progress_has "drawn 2"
read -r -a BOTH <<<"$(group_of 一等奖)"
[ "${#BOTH[@]}" = 2 ] || fail "一等奖 has not two winners: $(progress)"
case "${BOTH[*]}" in
  "Wang.jpg wang.jpg" | "wang.jpg Wang.jpg") ;;
  *) fail "not the two photos: $(progress)" ;;
esac
# The second row, whichever of the two it holds: a forfeit by name ignoring case would take the first.
KEPT=${BOTH[0]}
FORFEITER=${BOTH[1]}

STEP="F7: the forfeit of $FORFEITER removes $FORFEITER"
forfeit_last_row
wait_for "the photo forfeit saved" progress_has "drawn 1"
progress_has "group 一等奖: $KEPT" || fail "the forfeit of $FORFEITER left 一等奖 as: $(progress)"
# The places show the press in draw order: the second place is the forfeiter's.
[ "$(progress | grep -c '^forfeited ')" = 1 ] || fail "not one emptied place: $(progress)"
progress_has "forfeited 1 $FORFEITER" || fail "the emptied place is not $FORFEITER's: $(progress)"
xdotool windowfocus --sync "$WINNERS_WIN"
key Escape
wait_for "the winners window to close" gone '^中奖名单管理$'
shot "$MAIN_WIN" winners-photo-forfeit

kill "$APP_PID" 2>/dev/null || true
wait "$APP_PID" 2>/dev/null || true
APP_PID=""
echo "PASS"
