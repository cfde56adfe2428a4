#!/usr/bin/env bash
# A new user's first evening, driven with xdotool in the real program under Xvfb: from an empty folder, two
# prizes typed into the prize window, a list typed into the import dialog, a black list picked from that list,
# then a draw with Caps Lock on. The files the editors wrote are read back with the program's own readers.
#
#   editors_e2e.sh <kelvora> <kelvora_e2e_tool>
#   KELVORA_SCREENSHOTS=1 also writes docs/screenshots/e2e-*.png of the source tree (KELVORA_SOURCE_DIR), or
#   into the folder the variable names.
#
# Exit 77 (skipped) when Xvfb, xdotool, xset or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool xset import
e2e_setup editors
start_xvfb 1920x1080


prizes() { "$TOOL" prizes "$RUN"; }
textlist() { "$TOOL" textlist "$RUN"; }
progress() { "$TOOL" progress "$RUN"; }
progress_has() { progress | grep -qx "$1"; }

STEP="start-up in an empty folder"
(cd "$RUN" && exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
APP_PID=$!
# The default look names the background picture "贺岁.jpg", which an empty folder does not have: start-up says
# so once, before the draw screen shows.
wait_for "the warning about the default background picture" has_captioned 1
START_BOX=$(xdotool search --onlyvisible --name '^Kelvora 3\.9$' | head -n 1)
xdotool windowfocus --sync "$START_BOX" 2>/dev/null || true
sleep 0.2
key Return
wait_for "the draw screen" full_screen_window
MAIN_WIN=$(full_screen_window)
sleep 0.5
[ "$(captioned)" = 1 ] || fail "another message box at start-up: $(cat "$WORK/kelvora.log")"
[ "$(ls -A --ignore=内置资源 "$RUN")" = kelvora ] || fail "start-up wrote into the program folder: $(ls -A "$RUN")"
xdotool mousemove 960 540

STEP="F2: the first prize"
key F2
focus_window '^参数设置 - 奖项$'
PRIZE_WIN=$WIN
key alt+a
focus_window '^添加奖项$'
# Name, quota, per draw, per line, font size, prize text; the focus starts in the name.
for value in First 3 3 3 48 Laptop; do
  xdotool type --delay 20 "$value"
  key Tab
done
key Return
wait_for "the add dialog to close" gone '^添加奖项$'

STEP="F2: the second prize"
xdotool windowfocus --sync "$PRIZE_WIN"
key alt+a
focus_window '^添加奖项$'
for value in Second 2 1 1 60; do
  xdotool type --delay 20 "$value"
  key Tab
done
shot "$WIN" e2e-prize-edit
key Return
wait_for "the add dialog to close" gone '^添加奖项$'
shot "$PRIZE_WIN" e2e-prizes

STEP="F2: closing the prize window writes the prize file"
xdotool windowfocus --sync "$PRIZE_WIN"
key Escape
wait_for "the prize window to close" gone '^参数设置 - 奖项$'
prizes >"$WORK/prizes1.txt" || fail "prize file: $(cat "$WORK/prizes1.txt")"
for line in "count 2" "prize 1 name First" "prize 1 quota 3" "prize 1 perDraw 3" "prize 1 perLine 3" \
  "prize 1 fontSize 48" "prize 1 text Laptop" "prize 1 black 0" "prize 2 name Second" "prize 2 quota 2" \
  "prize 2 perDraw 1" "prize 2 perLine 1" "prize 2 fontSize 60" "prize 2 text "; do
  expect_line "$WORK/prizes1.txt" "$line"
done

STEP="F3: text mode, then the list editor"
xdotool windowfocus --sync "$MAIN_WIN"
key F3
focus_window '^参数设置 - 模式 & 名单$'
# A new folder starts in picture mode: back from the 下一步 button to the checked choice, up to text mode.
key shift+Tab
key Up
key Return
focus_window '^抽奖名单 - 文字/号码模式$'
LIST_WIN=$WIN
[ "$(od -An -t d4 "$RUN/参数设置(勿删)/抽奖模式.dat" | xargs)" = 0 ] || fail "the draw mode file must hold 0"

STEP="重新导入... opens the import dialog"
# The focus starts on 确定; 导出... and 重新导入... are the two buttons before it.
key shift+Tab
key shift+Tab
key space
focus_window '^抽奖名单 - 导入$'
IMPORT_WIN=$WIN
# xdotool types a line break as a key Qt ignores: Return between the lines.
for line in Alice/Sales Bob/Sales Carol/Dev Dave/Dev Erin/HR; do
  xdotool type --delay 20 "${line%/*}"
  key Tab
  xdotool type --delay 20 "${line#*/}"
  key Return
done
shot "$IMPORT_WIN" e2e-import

STEP="对齐后导入... and 开始导入"
import_with_defaults
shot "$LIST_WIN" e2e-text-list

STEP="导出...: a name typed without .txt over an existing file is asked about first"
printf 'the earlier export' >"$WORK/names.txt"
# The focus is back on 重新导入...; 导出... is the button after it.
key Tab
key space
focus_window '^导出$'
EXPORT_WIN=$WIN
xdotool type --delay 20 "$WORK/names"
key Return
# Qt's question carries the dialog's title: a second window "导出".
wait_for "the question about names.txt" test "$(xdotool search --onlyvisible --name '^导出$' | wc -l)" -ge 2
key Return # No, the default
wait_for "the question to close" test "$(xdotool search --onlyvisible --name '^导出$' | wc -l)" = 1
[ "$(cat "$WORK/names.txt")" = "the earlier export" ] || fail "names.txt was replaced before the question"
xdotool windowfocus --sync "$EXPORT_WIN"
key Escape
wait_for "the save dialog to close" gone '^导出$'
focus_window '^抽奖名单 - 文字/号码模式$'
key Escape
wait_for "the list editor to close" gone '^抽奖名单 - 文字/号码模式$'
textlist >"$WORK/list.txt" || fail "text list file: $(cat "$WORK/list.txt")"
expect_line "$WORK/list.txt" "count 5"
[ "$(sed -n 's/^entry //p' "$WORK/list.txt" | paste -sd,)" = "Alice Sales,Bob Sales,Carol Dev,Dave Dev,Erin HR" ] ||
  fail "the list in its pasted order: $(cat "$WORK/list.txt")"

STEP="F2, Shift+double-click on the first prize: its black and white lists"
xdotool windowfocus --sync "$MAIN_WIN"
key F2
focus_window '^参数设置 - 奖项$'
PRIZE_WIN=$WIN
read -r px py < <(window_origin "$PRIZE_WIN")
# The first row sits under the header at the layout's margin.
xdotool mousemove $((px + 120)) $((py + 45)) keydown shift click --repeat 2 --delay 80 1 keyup shift
focus_window '^First$'
LISTS_WIN=$WIN

STEP="黑名单 添加...: two rows picked from the list"
# 关闭 has the focus; the black list's 添加... is the button before it.
key shift+Tab
key space
wait_for "the picker" has_window '^抽奖名单 - 文字/号码模式$'
dismiss_message "the picker's hint"
focus_window '^抽奖名单 - 文字/号码模式$'
# From 确定 the focus wraps to the list; the first two rows.
key Tab
key ctrl+Home
key shift+Down
key Return
wait_for "the picker to close" gone '^抽奖名单 - 文字/号码模式$'
xdotool windowfocus --sync "$LISTS_WIN"
shot "$LISTS_WIN" e2e-black-white
key Return
dismiss_message "the Caps Lock notice"
wait_for "the list window to close" gone '^First$'
xdotool windowfocus --sync "$PRIZE_WIN"
key Escape
wait_for "the prize window to close" gone '^参数设置 - 奖项$'
prizes >"$WORK/prizes2.txt" || fail "prize file: $(cat "$WORK/prizes2.txt")"
for line in "prize 1 black 2" "prize 1 black Alice Sales" "prize 1 black Bob Sales" "prize 1 white 0" \
  "prize 2 black 0" "prize 2 white 0"; do
  expect_line "$WORK/prizes2.txt" "$line"
done

STEP="a draw with Caps Lock on: the black list keeps Alice and Bob out"
xdotool windowfocus --sync "$MAIN_WIN"
key Caps_Lock
xset q | grep -q "Caps Lock:   on" || fail "Caps Lock did not turn on"
key space
key space
sleep 0.3
key space
wait_for "the stop to be saved" progress_has "drawn 3"
progress >"$WORK/stop.txt"
expect_line "$WORK/stop.txt" "pool 2"
group=$(sed -n 's/^group First: //p' "$WORK/stop.txt" | tr ' ' '\n' | grep -v '^Sales$\|^Dev$\|^HR$' | sort | xargs)
[ "$group" = "Carol Dave Erin" ] || fail "the three winners must be the names off the black list: $(cat "$WORK/stop.txt")"
key Caps_Lock

STEP="the program is still running"
! process_gone "$APP_PID" || fail "the program is gone: $(cat "$WORK/kelvora.log")"

STEP="done"
echo "PASS: end-to-end editors"
