#!/usr/bin/env bash
# Writes docs/screenshots/background-<name>.png: the draw screen after a stop, once per built-in background,
# from the real program on a virtual screen. Needs a build (build/) and Xvfb, xdotool and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
WORK=$(mktemp -d /tmp/kelvora-backgrounds-XXXXXX)
XVFB_PID=""
APP_PID=""
cleanup() {
  if [ -n "$APP_PID" ]; then kill -9 "$APP_PID" 2>/dev/null || true; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/tmp" && chmod 700 "$WORK/tmp"
export XDG_RUNTIME_DIR="$WORK/tmp"
n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1920x1080x24 -noreset -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$n"
for _ in $(seq 1 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

declare -A PINYIN=([贺岁]=hesui [金辉]=jinhui [星河]=xinghe [春红]=chunhong)
for picture in "$BUILD"/src/app/内置资源/*.jpg; do
  name=$(basename "$picture" .jpg)
  run="$WORK/$name"
  mkdir -p "$run"
  cp "$BUILD/src/app/kelvora" "$run/"
  cp -r "$BUILD/src/app/内置资源" "$run/"
  "$BUILD/tools/sample_data/kelvora_sample_data" --background "$name.jpg" "$run" "$run/内置资源" >/dev/null
  (cd "$run" && exec ./kelvora) >"$WORK/$name.log" 2>&1 &
  APP_PID=$!
  for _ in $(seq 1 100); do xdotool search --onlyvisible --name '^Kelvora 3\.9$' >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 1
  xdotool mousemove 1919 1079
  for _ in 1 2; do xdotool key space; sleep 0.3; done
  sleep 1
  xdotool key space
  sleep 1
  import -window root "$WORK/$name.png"
  convert "$WORK/$name.png" -resize 1280x "docs/screenshots/background-${PINYIN[$name]:-$name}.png"
  kill -9 "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
done
