#!/usr/bin/env bash
# Builds the whole suite with gcc's coverage counters (Debug, in build-coverage/), runs every test, and
# reports what the tests reach: line and branch coverage per folder of src/ on standard output, and file by
# file in build-coverage/coverage/index.html. Not part of the test command: it is a third full build.
#
#   bash scripts/coverage.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
BUILD=build-coverage
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVORA_BENCH=OFF \
  -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
# Counters of an earlier run would add up with this one.
find "$BUILD" -name '*.gcda' -delete
ctest --test-dir "$BUILD" -j"$(nproc)" --output-on-failure || echo "coverage: some tests failed; the figures cover the run as it went"

mkdir -p "$BUILD/coverage"
# Branches that only exceptions or the compiler's own code take are no decisions of ours.
gcovr --root . --object-directory "$BUILD" --filter 'src/' -j"$(nproc)" --exclude-directories '.*/CompilerIdCXX' \
  --exclude-unreachable-branches --exclude-throw-branches \
  --html-details "$BUILD/coverage/index.html" --json-summary "$BUILD/coverage/summary.json" >/dev/null
python3 - "$BUILD/coverage/summary.json" <<'PY'
import json, sys
from collections import defaultdict

files = json.load(open(sys.argv[1]))["files"]
folders = defaultdict(lambda: [0, 0, 0, 0])
for f in files:
    parts = f["filename"].split("/")
    # src/settings/ui/x.cpp counts for src/settings/ui, src/settings/x.cpp for src/settings.
    folder = "/".join(parts[:3] if len(parts) > 3 and parts[2] == "ui" else parts[:2])
    t = folders[folder]
    t[0] += f["line_covered"]; t[1] += f["line_total"]; t[2] += f["branch_covered"]; t[3] += f["branch_total"]
total = [sum(t[i] for t in folders.values()) for i in range(4)]
pct = lambda a, b: f"{100.0 * a / b:5.1f} %" if b else "    -  "
print(f"{'folder':<22}{'lines':>18}{'':>9}{'branches':>18}")
for name in sorted(folders) + ["all of src/"]:
    t = total if name == "all of src/" else folders[name]
    print(f"{name:<22}{t[0]:>8} / {t[1]:<7}{pct(t[0], t[1])}{t[2]:>8} / {t[3]:<7}{pct(t[2], t[3])}")
PY
echo "file by file: $BUILD/coverage/index.html"
