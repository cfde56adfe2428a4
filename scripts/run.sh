#!/usr/bin/env bash
# Installs what is missing, builds Kelvora and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/src/app/kelvora ]; then
  RUN_DIR="${KELVORA_RUN_DIR:-$PWD/run}"
  mkdir -p "$RUN_DIR"
  cp build/src/app/kelvora "$RUN_DIR/"
  if [ ! -d "$RUN_DIR/参数设置(勿删)" ] && [ -x build/tools/sample_data/kelvora_sample_data ]; then
    build/tools/sample_data/kelvora_sample_data "$RUN_DIR"
  fi
  exec "$RUN_DIR/kelvora"
else
  # The draw screen is not built yet: run a whole draw on the console instead.
  exec build/tools/draw_demo/kelvora_draw_demo
fi
