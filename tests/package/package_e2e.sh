#!/usr/bin/env bash
# The Debian package as a new user meets it, without installing it: unpacked into a clean root, started
# through /usr/bin/kelvora with an empty HOME on a virtual screen. The launcher makes the user's program
# folder with the sample event and the program starts there, with no message box. The event is then edited
# (a new name list through the launcher, two stops of the draw), and the launcher of a newer build of the
# package brings in its program and built-in resources while the event, its lists and its progress stay byte
# for byte. Last, --folder sets up a second program folder, a folder of the user's own is refused, and a
# stick that may not run programs (a noexec mount, as root) gets its event run by the shared program.
#
#   package_e2e.sh <kelvora_*.deb>
#
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
DEB=$(readlink -f "$1")
E2E="$HERE/../e2e"
# shellcheck source=../e2e/e2e_common.sh
source "$E2E/e2e_common.sh"
e2e_require Xvfb xdotool import dpkg-deb
# The common setup copies a program into a run folder of its own, unused here: the package's runs.
export PROGRAM=/bin/true
e2e_setup package

STEP="unpacking the package into a clean root"
ROOT="$WORK/root"
dpkg-deb -x "$DEB" "$ROOT"
LAUNCHER="$ROOT/usr/bin/kelvora"
SHARED="$ROOT/usr/lib/kelvora"
[ "$(readlink -f "$LAUNCHER")" = "$SHARED/kelvora" ] || fail "/usr/bin/kelvora does not lead to the shared program"

export HOME="$WORK/home"
unset XDG_DATA_HOME
mkdir -p "$HOME"
USER_FOLDER="$HOME/.local/share/kelvora"

start_package() { # the launcher of root $1
  "$1/usr/bin/kelvora" >>"$WORK/kelvora.out" 2>&1 &
  APP_PID=$!
  wait_for "the draw screen" full_screen_window
  sleep 1
  [ "$(captioned)" = 1 ] || fail "a message box at start-up: $(cat "$WORK/kelvora.out")"
  [ "$(readlink -f "/proc/$APP_PID/exe")" = "$USER_FOLDER/kelvora" ] ||
    fail "the program runs from $(readlink -f "/proc/$APP_PID/exe"), not from the user's folder"
}

stop_program() {
  kill -9 "$APP_PID"
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

# Every file of the user's folder but the program and the built-in resources, with its checksum.
user_data() {
  (cd "$USER_FOLDER" && find . -type f ! -path ./kelvora ! -path './内置资源/*' -print0 | sort -z |
    xargs -0 sha256sum)
}

# A mount of the test's is let go before the common cleanup, which keeps the files of a failed run.
MOUNTED=""
package_cleanup() {
  local rc=$?
  if [ -n "$APP_PID" ]; then kill -9 "$APP_PID" 2>/dev/null || true; fi
  if [ -n "$MOUNTED" ]; then umount "$MOUNTED" 2>/dev/null || true; fi
  (exit "$rc")
  e2e_cleanup
}
trap package_cleanup EXIT

start_xvfb 1920x1080

STEP="the first start: the user's folder with the sample event, no message box"
start_package "$ROOT"
cmp -s "$SHARED/kelvora" "$USER_FOLDER/kelvora" || fail "the user's program is not the package's"
[ -x "$USER_FOLDER/kelvora" ] || fail "the user's program cannot be run"
diff -r "$SHARED/内置资源" "$USER_FOLDER/内置资源" >/dev/null || fail "the built-in resources differ"
for file in 参数设置\(勿删\)/文字名单.dat 参数设置\(勿删\)/奖项/_奖项设置.dat 参数设置\(勿删\)/界面/贺岁.jpg \
  参数设置\(勿删\)/音乐/滚动1.mp3 示例表格/员工名单.xlsx; do
  cmp -s "$SHARED/示例活动/$file" "$USER_FOLDER/$file" || fail "the sample's $file is missing or differs"
done
[ ! -e "$USER_FOLDER/系统安装.txt" ] || fail "the user's folder is marked as a shared install"
stop_program

STEP="editing the event: a new name list through the launcher, then two stops"
printf '姓名\n%s\n' 张伟 王芳 李娜 刘洋 陈静 杨磊 赵敏 黄强 周杰 吴丽 徐涛 孙燕 >"$WORK/names.csv"
"$LAUNCHER" --import-list "$WORK/names.csv" --header >>"$WORK/kelvora.out" 2>&1 ||
  fail "--import-list through the launcher failed: $(tail -n 3 "$WORK/kelvora.out")"
start_package "$ROOT"
xdotool mousemove 960 540 click 1
sleep 0.2
PROGRESS="$USER_FOLDER/抽取进度(勿删)/抽取进度.dat"
key space # the draw starts
key space
sleep 0.3
key space
wait_for "the first stop to be saved" test -s "$PROGRESS"
first=$(sha256sum <"$PROGRESS")
key space
sleep 0.3
key space
wait_for "the second stop to be saved" test "$(sha256sum <"$PROGRESS")" != "$first"
sleep 0.5
stop_program
before=$(user_data)

STEP="the launcher of a newer build: new program and resources, the same event"
NEWER="$WORK/newer"
cp -a "$ROOT" "$NEWER"
echo "a newer build" >>"$NEWER/usr/lib/kelvora/kelvora" # an ELF runs with bytes after its end
echo "remastered" >>"$NEWER/usr/lib/kelvora/内置资源/滚动2.mp3"
cp "$NEWER/usr/lib/kelvora/内置资源/星河.jpg" "$NEWER/usr/lib/kelvora/内置资源/新年.jpg"
start_package "$NEWER"
stop_program
[ "$(user_data)" = "$before" ] || fail "the upgrade changed the event: $(diff <(echo "$before") <(user_data))"
cmp -s "$NEWER/usr/lib/kelvora/kelvora" "$USER_FOLDER/kelvora" || fail "the program was not upgraded"
diff -r "$NEWER/usr/lib/kelvora/内置资源" "$USER_FOLDER/内置资源" >/dev/null || fail "the resources were not upgraded"

STEP="--folder: a program folder on a stick, and a folder that is not one"
STICK="$WORK/stick/抽奖"
"$LAUNCHER" --folder "$STICK" --check >"$WORK/check.out" 2>&1 || fail "--check in a new --folder: $(cat "$WORK/check.out")"
cmp -s "$SHARED/kelvora" "$STICK/kelvora" || fail "--folder did not get the program"
[ -s "$STICK/参数设置(勿删)/文字名单.dat" ] || fail "--folder did not get the sample event"
mkdir -p "$WORK/documents"
echo "report" >"$WORK/documents/report.txt"
if "$LAUNCHER" --folder "$WORK/documents" --check >"$WORK/refused.out" 2>&1; then
  fail "a folder of the user's own was taken as a program folder"
fi
grep -qF "既不是空文件夹，也不是 Kelvora 的程序文件夹" "$WORK/refused.out" || fail "no clear refusal: $(cat "$WORK/refused.out")"
# Started from a menu there is no terminal: the refusal shows in a box, and the program ends with it.
"$LAUNCHER" --folder "$WORK/documents" >>"$WORK/kelvora.out" 2>&1 &
APP_PID=$!
wait_for "the refusal's message box" has_captioned 1
shot "$(xdotool search --onlyvisible --name '^Kelvora 3\.9$' | head -n 1)" package-refused-folder
key Return
wait_for "the program to end with its box" process_gone "$APP_PID"
APP_PID=""
[ "$(ls -A "$WORK/documents")" = report.txt ] || fail "the refused folder was changed"

STEP="--folder on a stick that may not run programs: the shared program runs on its event"
NOEXEC="$WORK/fat-stick"
mkdir -p "$NOEXEC"
if mount -t tmpfs -o noexec,size=64m tmpfs "$NOEXEC" 2>/dev/null; then
  MOUNTED="$NOEXEC"
  "$LAUNCHER" --folder "$NOEXEC/年会" >>"$WORK/kelvora.out" 2>&1 &
  APP_PID=$!
  wait_for "the draw screen from the stick" full_screen_window
  sleep 1
  [ "$(captioned)" = 1 ] || fail "a message box on the stick: $(cat "$WORK/kelvora.out")"
  [ "$(readlink -f "/proc/$APP_PID/exe")" = "$SHARED/kelvora" ] || fail "not the shared program on the stick: $(readlink -f "/proc/$APP_PID/exe")"
  xdotool mousemove 960 540 click 1
  sleep 0.2
  key space
  key space
  sleep 0.3
  key space
  wait_for "the stop saved on the stick" test -s "$NOEXEC/年会/抽取进度(勿删)/抽取进度.dat"
  stop_program
  umount "$NOEXEC"
  MOUNTED=""
else
  echo "(no noexec mount here without root: the stick that may not run programs is left out)"
fi

echo "PASS: first start with the sample event, upgrade over an event in use, --folder"
