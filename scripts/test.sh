#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a plain build and one under
# AddressSanitizer + UndefinedBehaviorSanitizer. Fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
jobs="$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"

echo "== layers (no two folders of src/ include each other; no Qt in the core)"
bash scripts/check_layers.sh

echo "== plain build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVORA_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== sanitized build (ASan + UBSan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVORA_SANITIZE=ON -DKELVORA_BENCH=OFF \
  -DKELVORA_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== release build (what users and packagers build; -O3 brings warnings of its own)"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_WERROR=ON -DBUILD_TESTING=OFF \
  -DKELVORA_BENCH=OFF >/dev/null
cmake --build build-release -j"$jobs"

echo "== the Debian package and the portable archive, checked and started in a clean root"
bash scripts/package.sh

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzers (short runs)"
  bash scripts/fuzz.sh
fi
