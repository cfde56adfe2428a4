#!/usr/bin/env bash
# Photo mode as a new operator meets it, in the real program under Xvfb: a folder of 200 generated portraits
# (sizes, orientations and formats mixed, a few turned by their EXIF tag) imported through F3, "重新导入...",
# "导入图片" and its progress dialog; then a draw of 50 photos a press, scrolling and stopped, and the stopped
# tiles again under each crop and caption mode. The list file is read back with the program's own reader.
#
#   photo_e2e.sh <kelvora> <kelvora_e2e_tool> <kelvora_photos>
#   KELVORA_SCREENSHOTS=1 also writes docs/screenshots/photo-*.png of the source tree (KELVORA_SOURCE_DIR), or
#   into the folder the variable names.
#
# Exit 77 (skipped) when Xvfb, xdotool, xset or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
PHOTOS=$(readlink -f "$3")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool xset import compare
e2e_setup photo
"$TOOL" photo-fixture "$RUN"
"$PHOTOS" "$WORK/photos" 200 >/dev/null
start_xvfb 1920x1080

pictures() { "$TOOL" pictures "$RUN"; }
progress() { "$TOOL" progress "$RUN"; }
progress_has() { progress | grep -qx "$1"; }
save_screen() {
  import -window root "$WORK/$1.png"
  [ -z "$SHOTS" ] || convert "$WORK/$1.png" -resize 1280x "$SHOTS/$1.png"
}


start_program() {
  (cd "$RUN" && exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
  APP_PID=$!
  wait_for "the draw screen" full_screen_window
  MAIN_WIN=$(full_screen_window)
  sleep 0.5
  [ "$(captioned)" = 1 ] || fail "a message box at start-up: $(cat "$WORK/kelvora.log")"
  xdotool mousemove 960 540
}

stop_program() {
  kill -9 "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

STEP="start-up in photo mode"
start_program

STEP="F3: the mode dialog, then the empty picture list"
key F3
focus_window '^参数设置 - 模式 & 名单$'
key Return
focus_window '^抽奖名单 - 图片/照片模式$'
LIST_WIN=$WIN
shot "$LIST_WIN" photo-list-empty

STEP="重新导入...: the folder and the size"
# "确定" has the keyboard; "重新导入..." is the button before it. An empty list asks nothing.
key shift+Tab
key space
focus_window '^导入图片$'
xdotool type --delay 10 "$WORK/photos"
shot "$WIN" photo-import-dialog
key Return

STEP="the import runs and the list fills"
# A sanitized build on a loaded machine takes far longer than 15 s for the 3000x4000 photos.
WAIT_TENTHS=600 wait_for "the import to finish" gone '^正在导入...$'
wait_for "the import dialog to close" gone '^导入图片$'
focus_window '^抽奖名单 - 图片/照片模式$'
[ "$(captioned)" = 1 ] || fail "a message after the import: $(cat "$WORK/kelvora.log")"
# A click on the first row shows its photo in the preview.
read -r WX WY < <(window_origin "$WIN")
xdotool mousemove $((WX + 120)) $((WY + 62)) click 1
sleep 0.5
shot "$WIN" photo-list
xdotool mousemove 960 540
key Return
wait_for "the picture list to close" gone '^抽奖名单 - 图片/照片模式$'
pictures >"$WORK/pictures.txt" || fail "picture list: $(cat "$WORK/pictures.txt")"
expect_line "$WORK/pictures.txt" "count 200"
ls "$RUN/参数设置(勿删)/图片名单" | grep -qv '^_' || fail "no photos in the picture folder"
LARGEST=$(identify -format '%w %h\n' "$RUN/参数设置(勿删)/图片名单"/*.jpg | awk '{m = $1 > $2 ? $1 : $2; if (m > x) x = m} END {print x}')
[ "$LARGEST" -le 650 ] || fail "a photo was not shrunk to 650 ($LARGEST)"
# A photo turned by its EXIF tag is stored upright: its copy has the shape the tag gives it.
TURNED=0
for source in "$WORK/photos"/*.jpg; do
  case "$(identify -format '%[EXIF:Orientation]' "$source" 2>/dev/null)" in 6 | 8) ;; *) continue ;; esac
  read -r W H < <(identify -format '%w %h\n' "$source")
  read -r CW CH < <(identify -format '%w %h\n' "$RUN/参数设置(勿删)/图片名单/$(basename "$source")")
  [ $((W > H)) != $((CW > CH)) ] || fail "$(basename "$source") was imported on its side (${W}x$H -> ${CW}x$CH)"
  TURNED=$((TURNED + 1))
done
[ "$TURNED" -gt 0 ] || fail "no photo with an EXIF turn among the generated ones"

STEP="a re-import from a mistyped folder keeps every photo and the list"
PHOTOS_BEFORE=$(ls "$RUN/参数设置(勿删)/图片名单" | md5sum)
key F3
focus_window '^参数设置 - 模式 & 名单$'
key Return
focus_window '^抽奖名单 - 图片/照片模式$'
key shift+Tab
key space
wait_for "the question before the list is emptied" has_captioned 2
key alt+y
focus_window '^导入图片$'
xdotool type --delay 10 "$WORK/phtos"
key Return
dismiss_message "the folder that is not there"
focus_window '^抽奖名单 - 图片/照片模式$'
key Escape
wait_for "the picture list to close" gone '^抽奖名单 - 图片/照片模式$'
pictures >"$WORK/pictures.txt" || fail "picture list: $(cat "$WORK/pictures.txt")"
expect_line "$WORK/pictures.txt" "count 200"
[ "$(ls "$RUN/参数设置(勿删)/图片名单" | md5sum)" = "$PHOTOS_BEFORE" ] || fail "the picture folder changed"
[ -z "$(ls "$RUN/参数设置(勿删)" | grep '导入中')" ] || fail "a staging folder was left behind"

STEP="a draw of 50 photos a press"
xdotool windowfocus --sync "$MAIN_WIN"
key space
sleep 0.5
key space
sleep 1
save_screen photo-scrolling
key space
wait_for "the first stop" progress_has "drawn 50"
sleep 0.5
save_screen photo-stopped

STEP="the next prize: three large photos a press"
# Space moves on to the next prize, then scrolls and stops.
key space
sleep 0.5
key space
sleep 1
key space
wait_for "the second prize's first stop" progress_has "drawn 3"
sleep 0.5
save_screen photo-stopped-large

STEP="each crop and caption on the stopped tiles"
# The draw resumes at start-up with the same tiles, so each look is shown on the same stop.
for mode in "0 1 circle-on" "1 2 none-outside" "2 0 ellipse-hidden"; do
  set -- $mode
  stop_program
  "$TOOL" photo-look "$RUN" "$1" "$2"
  start_program
  sleep 0.5
  save_screen "photo-stopped-$3"
done
compare -metric AE "$WORK/photo-stopped-circle-on.png" "$WORK/photo-stopped-none-outside.png" null: \
  >/dev/null 2>&1 && fail "the crop and caption modes look the same"
echo "PASS"
