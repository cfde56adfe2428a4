#!/usr/bin/env bash
# Installs what is missing, builds Kelvora and runs it.
#
# The first run in a folder writes a sample event (text mode, 300 names). Options for the sample writer go
# in KELVORA_SAMPLE_ARGS; to try photo mode, with 200 generated portraits, in a run folder of its own:
#
#   KELVORA_RUN_DIR=run-photos KELVORA_SAMPLE_ARGS="--photos 200" bash scripts/run.sh
set -euo pipefail
# A relative KELVORA_RUN_DIR is taken from where the script was started.
if [ -n "${KELVORA_RUN_DIR:-}" ]; then
  KELVORA_RUN_DIR="$(realpath -m "$KELVORA_RUN_DIR")"
fi
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
RUN_DIR="${KELVORA_RUN_DIR:-$PWD/run}"
mkdir -p "$RUN_DIR"
cp build/src/app/kelvora "$RUN_DIR/"
# The built-in backgrounds and music the settings offer live beside the program.
mkdir -p "$RUN_DIR/内置资源"
cp build/src/app/内置资源/*.jpg "$RUN_DIR/内置资源/"
cp build/src/app/内置资源/*.mp3 "$RUN_DIR/内置资源/"
# All data lives beside the program; a first run gets a small sample event to try the keys on, with the
# default background in place.
if [ ! -d "$RUN_DIR/参数设置(勿删)" ]; then
  # Word splitting of the options is meant.
  # shellcheck disable=SC2086
  build/tools/sample_data/kelvora_sample_data ${KELVORA_SAMPLE_ARGS:-} "$RUN_DIR" "$RUN_DIR/内置资源"
fi
# A run folder from before the built-in backgrounds: its default look names a picture it never had.
LOOK_DIR="$RUN_DIR/参数设置(勿删)/界面"
if [ ! -e "$LOOK_DIR/贺岁.jpg" ] && [ ! -e "$LOOK_DIR/_界面设置.dat" ]; then
  mkdir -p "$LOOK_DIR"
  cp "$RUN_DIR/内置资源/贺岁.jpg" "$LOOK_DIR/"
fi
# A run folder from before the built-in music: the default music settings name files it never had.
MUSIC_DIR="$RUN_DIR/参数设置(勿删)/音乐"
if [ ! -e "$MUSIC_DIR/_音乐设置.dat" ]; then
  mkdir -p "$MUSIC_DIR"
  for name in 滚动1 中奖1 颁奖 星河传说 "Encore une Fois"; do
    [ -e "$MUSIC_DIR/$name.mp3" ] || cp "$RUN_DIR/内置资源/$name.mp3" "$MUSIC_DIR/"
  done
fi
# A staff list to try "从文件导入..." of the list import with.
if [ ! -d "$RUN_DIR/示例表格" ]; then
  build/tools/sample_data/kelvora_sample_data --staff-sheets 300 "$RUN_DIR/示例表格"
fi
cd "$RUN_DIR"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # A machine without a desktop: run on a virtual 1920x1080 screen.
  echo "run.sh: no display found; starting on a virtual screen (xvfb-run). Stop with Ctrl+C." >&2
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$RUN_DIR/kelvora"
fi
exec "$RUN_DIR/kelvora"
