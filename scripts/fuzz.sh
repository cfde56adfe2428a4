#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a short time over its seed corpus.
# FUZZ_SECONDS sets the time per target (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-20}"
CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVORA_FUZZ=ON -DKELVORA_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)"
status=0
while IFS= read -r target; do
  name="$(basename "$target")"
  sub="$(basename "$(dirname "$target")")"
  seeds="fuzz/$sub/corpus/$name"
  work="build-fuzz/corpus/$name"
  mkdir -p "$work"
  args=("$work")
  [ -d "$seeds" ] && args+=("$seeds")
  echo "-- $name (${seconds}s)"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 "${args[@]}" \
       >"build-fuzz/$name.log" 2>&1; then
    echo "FAILED: $name"; tail -40 "build-fuzz/$name.log"; status=1
  else
    grep -E "^#[0-9]+.*DONE" "build-fuzz/$name.log" | tail -1 || true
  fi
done < <(find build-fuzz/fuzz -mindepth 2 -maxdepth 2 -type f -executable | sort)
exit $status
