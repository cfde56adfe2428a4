#!/usr/bin/env bash
# The standby computer in the real program under Xvfb: "选择备用位置..." in "参数备份与还原", three stops, a
# kill -9, and the copy in the mirror folder started as a second computer would: it holds the same progress
# file, byte for byte, and the next presses go on from the last stop. Then the show computer again, its mirror
# made read-only mid-show: the draw goes on, the log says why the mirror is behind, and the mirror catches up
# once it is writable again.
#
#   standby_e2e.sh <kelvora> <kelvora_e2e_tool>
#
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool import
e2e_setup standby
"$TOOL" fixture "$RUN"
MIRROR="$WORK/mirror"
mkdir -p "$MIRROR"
LOCKED=""

# Started in folder $1 (the program's own, or the mirror).
start_program() {
  (cd "$1" && exec ./kelvora) >>"$WORK/kelvora.out" 2>&1 &
  APP_PID=$!
  wait_for "the draw screen" full_screen_window
  MAIN_WIN=$(full_screen_window)
  sleep 0.5
  [ "$(captioned)" = 1 ] || fail "a message box at start-up: $(cat "$WORK/kelvora.out")"
  xdotool mousemove 960 540 click 1
  sleep 0.2
}

stop_program() {
  kill -9 "$APP_PID"
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

progress_of() { "$TOOL" progress "$1"; }
has_progress() { progress_of "$1" | grep -qx "$2"; }
PROGRESS="抽取进度(勿删)/抽取进度.dat"
mirror_in_step() { cmp -s "$RUN/$PROGRESS" "$MIRROR/$PROGRESS"; }
log_says() { grep -qF "$1" "$RUN/kelvora.log" 2>/dev/null; }

# A press that starts the names and one that stops them.
press_and_stop() {
  key space
  sleep 0.3
  key space
}

# Read-only even for root: a read-only bind mount, else the immutable flag on every folder.
lock_mirror() {
  if [ "$(id -u)" != 0 ]; then
    chmod -R a-w "$MIRROR"
    LOCKED=chmod
  elif mount --bind "$MIRROR" "$MIRROR" 2>/dev/null && mount -o remount,bind,ro "$MIRROR" 2>/dev/null; then
    LOCKED=mount
  else
    find "$MIRROR" -type d -exec chattr +i {} + || fail "no way to make the mirror read-only here"
    LOCKED=chattr
  fi
}
unlock_mirror() {
  case "$LOCKED" in
    chmod) chmod -R u+w "$MIRROR" ;;
    mount) umount "$MIRROR" ;;
    chattr) find "$MIRROR" -type d -exec chattr -i {} + ;;
  esac
  LOCKED=""
}
# The mirror is made writable again before the common cleanup, which keeps the files of a failed run.
standby_cleanup() {
  local rc=$?
  unlock_mirror 2>/dev/null || true
  (exit "$rc")
  e2e_cleanup
}
trap standby_cleanup EXIT

start_xvfb 1920x1080

STEP="参数备份与还原: 选择备用位置..."
start_program "$RUN"
# "参数设置" is the first entry of the main menu; "参数备份与还原..." is the one above its last ("高级"), two
# steps up from its first (the menu wraps around).
xdotool mousemove 960 540 click 3
sleep 0.4
key Down
key Right
key Up
key Up
key Return
focus_window '^参数备份与还原$'
BACKUP_WIN=$WIN
# The focus starts on 确定; with no mirror yet, 关闭备用位置 is greyed and 选择备用位置... is the one before.
key shift+Tab
key space
focus_window '^选择备用位置$'
xdotool type --delay 10 "$MIRROR"
key Return
wait_for "the first copy of the program" test -x "$MIRROR/kelvora"
wait_for "the first copy of the settings" test -f "$MIRROR/参数设置(勿删)/奖项/_奖项设置.dat"
[ ! -e "$MIRROR/参数设置(勿删)/备用位置.dat" ] || fail "the mirror carries this computer's own mirror setting"
sleep 1
shot "$BACKUP_WIN" standby
focus_window '^参数备份与还原$'
key Escape
wait_for "the dialog to close" gone '^参数备份与还原$'

STEP="three stops, each mirrored"
key space # the draw starts
press_and_stop
wait_for "the first stop" has_progress "$RUN" "drawn 2"
press_and_stop
wait_for "the second stop" has_progress "$RUN" "drawn 4"
key space # the next prize
press_and_stop
wait_for "the third stop" has_progress "$RUN" "prize 1"
wait_for "the third stop of the next prize" has_progress "$RUN" "drawn 2"
wait_for "the mirror to hold the third stop" mirror_in_step
saved=$(progress_of "$RUN")

STEP="kelvora --pack during the draw"
"$RUN/kelvora" --pack "$WORK/event.kelvora" 2>>"$WORK/kelvora.out" || fail "--pack failed: $(tail -n 3 "$WORK/kelvora.out")"

STEP="kill -9; kelvora --unpack into a program folder of its own, started there"
stop_program
OTHER="$WORK/other"
mkdir -p "$OTHER"
cp "$RUN/kelvora" "$OTHER/"
cp -r "$RUN/内置资源" "$OTHER/"
"$OTHER/kelvora" --unpack "$WORK/event.kelvora" 2>>"$WORK/kelvora.out" || fail "--unpack failed: $(tail -n 3 "$WORK/kelvora.out")"
diff -r "$RUN/参数设置(勿删)" "$OTHER/参数设置(勿删)" -x 备用位置.dat >/dev/null || fail "the unpacked settings differ"
cmp -s "$RUN/$PROGRESS" "$OTHER/$PROGRESS" || fail "the unpacked progress differs"
start_program "$OTHER"
[ "$(progress_of "$OTHER")" = "$saved" ] || fail "the unpacked draw is not the one packed"
stop_program

STEP="the program in the mirror folder takes over"
start_program "$MIRROR"
cmp -s "$RUN/$PROGRESS" "$MIRROR/$PROGRESS" || fail "starting from the mirror changed its progress file"
[ "$(progress_of "$MIRROR")" = "$saved" ] || fail "the mirror's draw is not the one saved"
key space # the last prize
press_and_stop
wait_for "the standby's stop" has_progress "$MIRROR" "prize 2"
wait_for "the standby's stop to draw" has_progress "$MIRROR" "drawn 1"
# Every winner of the show computer is still a winner on the standby.
after=$(progress_of "$MIRROR")
while IFS= read -r line; do
  case "$line" in
    "group 特等奖:"*) ;; # the prize the standby drew
    group*) grep -qxF -e "$line" <<<"$after" || fail "the standby lost \"$line\": $after" ;;
  esac
done <<<"$saved"
stop_program

STEP="the show computer again; its mirror made read-only mid-show"
# The program folder takes the show up where it was: the standby's stop happened elsewhere.
start_program "$RUN"
wait_for "the mirror to catch up with the show computer" mirror_in_step
lock_mirror
key space # the last prize
press_and_stop
wait_for "the stop on the show computer" has_progress "$RUN" "prize 2"
wait_for "the log to say why the mirror is behind" log_says "备用位置同步失败"
[ "$(captioned)" = 1 ] || fail "a message box on the draw screen for the mirror"
mirror_in_step && fail "the read-only mirror took the new progress"

STEP="the mirror writable again: it catches up"
unlock_mirror
wait_for "the recovery in the log" log_says "备用位置已恢复同步"
wait_for "the mirror to hold the last stop" mirror_in_step

STEP="done"
echo "PASS: end-to-end standby"
