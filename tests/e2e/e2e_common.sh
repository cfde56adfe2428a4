# shellcheck shell=bash
# What every end-to-end script shares: the tools it needs, a private work folder with a copy of the program,
# a virtual X server, polling instead of fixed sleeps, and the files of a failed run kept for a look.
# Sourced after `set -euo pipefail` with PROGRAM, TOOL and HERE set; the script sets STEP as it goes.

# Exits 77 (skipped) when one of the tools is missing.
e2e_require() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $tool is not installed"
      exit 77
    fi
  done
}

# WORK (kept on failure), RUN (the program folder, holding a copy of the executable and of the built-in
# resources folder built beside it, as an installed program has them), a private runtime
# folder (the one-instance lock of this run stays apart from any other copy running) and SHOTS (where
# screenshots go when KELVORA_SCREENSHOTS asks for them).
e2e_setup() {
  # A sanitized build reports leaks at exit; these are the platform libraries', not the program's.
  export LSAN_OPTIONS="${LSAN_OPTIONS:-}:suppressions=$HERE/lsan.supp"
  WORK=$(mktemp -d "/tmp/kelvora-$1-XXXXXX")
  RUN="$WORK/run"
  mkdir -p "$RUN" "$WORK/tmp"
  export XDG_RUNTIME_DIR="$WORK/tmp"
  chmod 700 "$WORK/tmp"
  cp "$PROGRAM" "$RUN/kelvora"
  BUILTIN="$(dirname "$PROGRAM")/内置资源"
  if [ -d "$BUILTIN" ]; then cp -r "$BUILTIN" "$RUN/"; fi
  SHOTS=""
  case "${KELVORA_SCREENSHOTS:-}" in
    "") ;;
    1) SHOTS="${KELVORA_SOURCE_DIR:?}/docs/screenshots" ;;
    *) SHOTS="$KELVORA_SCREENSHOTS" ;;
  esac
  [ -n "$SHOTS" ] && mkdir -p "$SHOTS"
  XVFB_PID=""
  APP_PID=""
  STEP="setting up"
  trap e2e_cleanup EXIT
}

e2e_cleanup() {
  local rc=$?
  if [ "$rc" != 0 ] && [ -n "$XVFB_PID" ]; then
    # What was on screen when the step failed.
    import -window root "$WORK/failed.png" 2>/dev/null || true
  fi
  if [ -n "$APP_PID" ]; then kill -9 "$APP_PID" 2>/dev/null || true; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  if [ "$rc" = 0 ]; then
    rm -rf "$WORK"
  else
    echo "FAILED at: $STEP (files kept in $WORK)"
  fi
}

fail() {
  echo "FAIL: $*"
  exit 1
}

# Polls a command until it succeeds; no fixed sleeps that a slow machine could outrun. 15 s, or WAIT_TENTHS
# tenths of a second for long work (WAIT_TENTHS=600 wait_for ...).
wait_for() {
  local what=$1
  shift
  for _ in $(seq 1 "${WAIT_TENTHS:-150}"); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  fail "timed out waiting for $what"
}

# A child that has exited stays a zombie until waited for, and kill -0 still reaches a zombie.
process_gone() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 0
  [[ $state == Z* ]]
}

start_xvfb() {
  local geometry=$1
  stop_xvfb
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${geometry}x24" -noreset -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  wait_for "the X server" xdotool getdisplaygeometry
}

stop_xvfb() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

# --- Windows, keys and screenshots, for scripts that drive dialogs.

# The draw screen and every message box carry the program's caption.
captioned() { xdotool search --onlyvisible --name '^Kelvora 3\.9$' 2>/dev/null | wc -l; }
has_captioned() { [ "$(captioned)" -ge "$1" ]; }
window_of() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window_of "$1")" ]; }
gone() { [ -z "$(window_of "$1")" ]; }

key() {
  xdotool key "$@"
  sleep 0.15
}

# Waits for a window by its title and gives it the keyboard; without a window manager a new dialog does not
# always get the focus by itself.
focus_window() {
  wait_for "the window \"$1\"" has_window "$1"
  WIN=$(window_of "$1")
  xdotool windowfocus --sync "$WIN" 2>/dev/null || xdotool windowfocus "$WIN"
  sleep 0.2
}

# A message box over the window: dismissed with Enter (its default button).
dismiss_message() {
  wait_for "a message box ($1)" has_captioned 2
  local box
  box=$(xdotool search --onlyvisible --name '^Kelvora 3\.9$' | grep -vx "$MAIN_WIN" | head -n 1)
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  sleep 0.1
  key Return
  wait_for "the message box ($1) to close" test "$(captioned)" = 1
}

# In "抽奖名单 - 导入" with the focus in its text box: 对齐后导入..., then 开始导入 with the defaults; returns
# when the import has finished and the list editor is back. The text box keeps Tab for columns: Ctrl+Tab
# leaves it for 软件最小化, then Tab: 从文件导入..., 批量生成号码..., 对齐后导入....
import_with_defaults() {
  key ctrl+Tab
  key Tab
  key Tab
  key Tab
  key space
  focus_window '^对齐后导入$'
  key Return
  wait_for "the import to finish" gone '^抽奖名单 - 导入$'
  focus_window '^抽奖名单 - 文字/号码模式$'
}

shot() {
  [ -n "$SHOTS" ] || return 0
  sleep 0.3
  import -window "$1" "$SHOTS/$2.png"
}

expect_line() {
  local file=$1 line=$2
  grep -qxF -e "$line" "$file" || fail "\"$line\" expected in $(basename "$file"): $(cat "$file")"
}

# The draw screen on a 1920x1080 server. A message at start-up shows before it and carries the same caption,
# so scripts wait for the full-screen window itself.
full_screen_window() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Kelvora 3\.9$' 2>/dev/null); do
    xdotool getwindowgeometry "$id" | grep -q "Geometry: 1920x1080" && { echo "$id"; return 0; }
  done
  return 1
}

# The top-left corner of a window on the screen, as "x y".
window_origin() {
  xdotool getwindowgeometry "$1" | awk '/Position/ {split($2, p, ","); print p[1], p[2]}'
}
