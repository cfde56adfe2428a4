#!/usr/bin/env bash
# The look of the screen changed as a new operator changes it, in the real program under Xvfb: F4 over the
# draw screen (the band guides appear), a new main title, new heights, another scroll font and a built-in
# background chosen in the file dialog, then "确定". The next screenshot must differ where the change is, and
# the settings file that was written must read back with the new values.
#
#   look_e2e.sh <kelvora> <kelvora_e2e_tool>
#   KELVORA_SCREENSHOTS=1 also writes docs/screenshots/interface-*.png of the source tree
#   (KELVORA_SOURCE_DIR), or into the folder the variable names.
#
# Exit 77 (skipped) when Xvfb, xdotool, xset or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool xset import compare
e2e_setup look
"$TOOL" fixture "$RUN"
[ -f "$RUN/内置资源/星河.jpg" ] || fail "no built-in backgrounds beside the program"
# xdotool types Chinese by remapping a spare key for each character, which now and then drops one: the picture
# is chosen under a Latin name of its own.
cp "$RUN/内置资源/星河.jpg" "$RUN/内置资源/xinghe.jpg"
start_xvfb 1920x1080

look() { "$TOOL" interface "$RUN"; }
# The part of the screen below the dialog: the scroll area's lower half.
lower_half() { convert "$1" -crop 1920x400+0+680 +repage "$2"; }

STEP="start-up"
(cd "$RUN" && exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
APP_PID=$!
wait_for "the draw screen" has_captioned 1
MAIN_WIN=$(xdotool search --onlyvisible --name '^Kelvora 3\.9$' | head -n 1)
sleep 0.5
[ "$(captioned)" = 1 ] || fail "a message box at start-up: $(cat "$WORK/kelvora.log")"
xdotool mousemove 960 540
import -window root "$WORK/before.png"

STEP="F4 opens the dialog with the guides on the screen"
key F4
focus_window '^界面设置$'
DIALOG=$WIN
sleep 0.3
import -window root "$WORK/guides.png"
[ -n "$SHOTS" ] && convert "$WORK/guides.png" -resize 1280x "$SHOTS/interface-guides.png"
shot "$DIALOG" interface-dialog
# The guides are drawn on the screen itself: its lower part changes while the dialog is open.
lower_half "$WORK/before.png" "$WORK/before-low.png"
lower_half "$WORK/guides.png" "$WORK/guides-low.png"
[ "$(compare -metric AE "$WORK/before-low.png" "$WORK/guides-low.png" null: 2>&1 || true)" != 0 ] ||
  fail "no guides on the screen while the dialog is open"

STEP="a built-in background"
# The focus starts in the main title; "内置" is two steps before it.
key shift+Tab shift+Tab
key space
wait_for "the file dialog" has_window '^选择背景图$'
focus_window '^选择背景图$'
xdotool type --delay 30 "xinghe.jpg"
key Return
wait_for "the file dialog to close" gone '^选择背景图$'
[ -f "$RUN/参数设置(勿删)/界面/xinghe.jpg" ] || fail "the chosen picture was not copied into the interface folder"
xdotool windowfocus --sync "$DIALOG"
key Tab Tab

STEP="the main title and the heights"
# The fields follow in the order of the bands.
key ctrl+a
xdotool type --delay 20 "Kelvora Gala 2027"
key Tab
key ctrl+a
xdotool type --delay 20 "20"
key Tab Tab Tab Tab
key ctrl+a
xdotool type --delay 20 "6"

STEP="the scroll font"
# From the subtitle's height: its margins and font, the info bar's height, margins, font and content, the
# scroll speed, the scroll margins, then "字体/多列".
for _ in 1 2 3 4 5 6 7 8 9; do key Tab; done
key space
focus_window '^字体等$'
# The face list has the keyboard: the next face after 楷体.
key Down
key Return
wait_for "the scroll font dialog to close" gone '^字体等$'

STEP="确定 applies, saves and closes"
xdotool windowfocus --sync "$DIALOG"
key Return
wait_for "the dialog to close" gone '^界面设置$'
sleep 0.5
[ "$(captioned)" = 1 ] || fail "a message after 确定: $(cat "$WORK/kelvora.log")"
look >"$WORK/look.txt" || fail "settings file: $(cat "$WORK/look.txt")"
expect_line "$WORK/look.txt" "mainTitle Kelvora Gala 2027"
expect_line "$WORK/look.txt" "heights 20 6 10"
expect_line "$WORK/look.txt" "background xinghe.jpg"
grep -qx "scrollFace 楷体" "$WORK/look.txt" && fail "the scroll font did not change: $(cat "$WORK/look.txt")"

STEP="the screen shows the new look"
# A stop shows the winners in the new scroll font: start, scroll, stop.
for _ in 1 2 3; do
  key space
  sleep 0.4
done
sleep 0.5
import -window root "$WORK/after.png"
[ -n "$SHOTS" ] && convert "$WORK/after.png" -resize 1280x "$SHOTS/interface-after.png"
DIFF=$(compare -metric AE "$WORK/before.png" "$WORK/after.png" null: 2>&1 || true)
# ImageMagick prints large counts in exponent form.
awk -v d="${DIFF%% *}" 'BEGIN { exit !(d + 0 > 500000) }' || fail "the screen hardly changed ($DIFF pixels)"
echo "PASS"
