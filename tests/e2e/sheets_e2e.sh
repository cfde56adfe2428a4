#!/usr/bin/env bash
# A staff list from a spreadsheet, as a new user takes it in: a CSV saved by a Chinese Excel (GB18030, a
# title row) through "从文件导入..." of the list import in the real program under Xvfb; the list file must
# hold the names, not mojibake. Then the same names from the .xlsx by the command line, and the winners of a
# stop written as a workbook by the command line. KELVORA_SCREENSHOTS=1 also writes the preview, the filled
# import dialog and the prize window into docs/screenshots/.
#
#   sheets_e2e.sh <kelvora> <kelvora_e2e_tool> <kelvora_sample_data>
#
# Exit 77 (skipped) when Xvfb, xdotool, iconv or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
SAMPLE=$(readlink -f "$3")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool import iconv
e2e_setup sheets
"$TOOL" fixture "$RUN"
"$SAMPLE" --staff-sheets 40 "$WORK/表格"
# xdotool drops characters of a Chinese path it types: the files go to the dialogs under ASCII names.
cp "$WORK/表格/员工名单.csv" "$WORK/staff.csv"
cp "$WORK/表格/员工名单.xlsx" "$WORK/staff.xlsx"
CSV="$WORK/staff.csv"
XLSX="$WORK/staff.xlsx"
# The names as the import must give them: the title row left out, columns joined by one space.
iconv -f GB18030 -t UTF-8 "$CSV" | tail -n +2 | tr -d '\r' | tr ',' ' ' >"$WORK/expected.txt"
[ "$(wc -l <"$WORK/expected.txt")" = 40 ] || fail "the sample CSV: $(head -3 "$WORK/expected.txt")"

textlist() { "$TOOL" textlist "$1"; }
entries() { textlist "$1" | sed -n 's/^entry //p'; }

start_xvfb 1920x1080

STEP="start-up"
(cd "$RUN" && exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
APP_PID=$!
wait_for "the draw screen" full_screen_window
MAIN_WIN=$(full_screen_window)
sleep 0.5
[ "$(captioned)" = 1 ] || fail "a message box at start-up: $(cat "$WORK/kelvora.log")"
xdotool mousemove 960 540

STEP="F3, the list editor, 重新导入..."
key F3
focus_window '^参数设置 - 模式 & 名单$'
key shift+Tab
key Up
key Return
focus_window '^抽奖名单 - 文字/号码模式$'
LIST_WIN=$WIN
# The focus starts on 确定; 导出... and 重新导入... are the two buttons before it.
key shift+Tab
key shift+Tab
key space
# The list is not empty: "将清空现有名单 是否继续？"
wait_for "the question before the list is emptied" has_captioned 2
key y
focus_window '^抽奖名单 - 导入$'
IMPORT_WIN=$WIN

STEP="从文件导入...: the CSV through the file dialog"
# From the text box, Ctrl+Tab reaches 软件最小化 and Tab 从文件导入....
key ctrl+Tab
key Tab
key space
focus_window '^选择名单文件$'
xdotool type --delay 10 "$CSV"
key Return
focus_window '^从文件导入$'
PREVIEW_WIN=$WIN
shot "$PREVIEW_WIN" sheet-import
sleep 0.3
import -window "$PREVIEW_WIN" "$WORK/preview.png"
# Enter: 导入到文本框, the default button; the title row was recognised and is left out.
key Return
wait_for "the preview to close" gone '^从文件导入$'
focus_window '^抽奖名单 - 导入$'
shot "$IMPORT_WIN" sheet-import-text

STEP="对齐后导入... and 开始导入"
import_with_defaults
key Escape
wait_for "the list editor to close" gone '^抽奖名单 - 文字/号码模式$'
entries "$RUN" >"$WORK/imported.txt"
diff "$WORK/expected.txt" "$WORK/imported.txt" >"$WORK/diff.txt" || fail "the list file: $(head -5 "$WORK/diff.txt")"

STEP="F2: the prize window, with its table buttons"
xdotool windowfocus --sync "$MAIN_WIN"
key F2
focus_window '^参数设置 - 奖项$'
shot "$WIN" prize-settings
key Escape
wait_for "the prize window to close" gone '^参数设置 - 奖项$'

STEP="a stop, then the program ends"
xdotool windowfocus --sync "$MAIN_WIN"
key space
key space
sleep 0.3
key space
wait_for "the stop to be saved" bash -c "'$TOOL' progress '$RUN' | grep -qx 'drawn 2'"
kill "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
APP_PID=""

STEP="--import-list: the workbook's names and numbers into another event"
OTHER="$WORK/other"
mkdir -p "$OTHER"
"$RUN/kelvora" --import-list "$XLSX" --columns 1,3 --header --data "$OTHER" >"$WORK/import.out" 2>&1 ||
  fail "--import-list: $(cat "$WORK/import.out")"
grep -q "已导入 40 条名单" "$WORK/import.out" || fail "--import-list said: $(cat "$WORK/import.out")"
cut -d' ' -f1,3 "$WORK/expected.txt" >"$WORK/expected-cli.txt"
entries "$OTHER" >"$WORK/imported-cli.txt"
diff "$WORK/expected-cli.txt" "$WORK/imported-cli.txt" >"$WORK/diff.txt" || fail "--import-list: $(head -5 "$WORK/diff.txt")"
# During the draw the event's own list is refused, untouched.
before=$(md5sum <"$RUN/参数设置(勿删)/文字名单.dat")
if "$RUN/kelvora" --import-list "$CSV" --data "$RUN" >"$WORK/refused.out" 2>&1; then
  fail "--import-list during a draw succeeded"
fi
grep -q "抽奖结束后才可修改名单" "$WORK/refused.out" || fail "the refusal said: $(cat "$WORK/refused.out")"
[ "$(md5sum <"$RUN/参数设置(勿删)/文字名单.dat")" = "$before" ] || fail "the refused import changed the list"

STEP="--export-winners: the stop's two winners in the workbook"
"$RUN/kelvora" --export-winners "$WORK/中奖名单.xlsx" --data "$RUN" >"$WORK/export.out" 2>&1 ||
  fail "--export-winners: $(cat "$WORK/export.out")"
"$RUN/kelvora" --import-list "$WORK/中奖名单.xlsx" --columns 3 --header --data "$OTHER" >"$WORK/reimport.out" 2>&1 ||
  fail "reading the winners workbook back: $(cat "$WORK/reimport.out")"
entries "$OTHER" >"$WORK/winners.txt"
[ "$(wc -l <"$WORK/winners.txt")" = 2 ] || fail "the workbook's 全部奖项 sheet: $(cat "$WORK/winners.txt")"
while IFS= read -r winner; do
  grep -qxF -e "$winner" "$WORK/expected.txt" || fail "a winner not on the list: $winner"
done <"$WORK/winners.txt"
echo "PASS"
