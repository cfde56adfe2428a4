#!/usr/bin/env bash
# Builds the Debian package and the portable folder's archive from a Release build in build-release/, checks
# them as a distribution would (lintian, desktop-file-validate, appstreamcli) and runs the package's
# end-to-end test: unpacked into a clean root, started through its launcher with an empty HOME, upgraded over
# an event in use. Fails on a lintian error; its warnings are printed.
#
#   bash scripts/package.sh     # writes build-release/kelvora_<version>_<arch>.deb and
#                               #        build-release/kelvora-<version>-portable.tar.gz
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
BUILD=build-release
# The test command has configured this folder already (warnings as errors); a user's first run gets the
# defaults of a user's build.
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVORA_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
rm -f "$BUILD"/kelvora_*.deb "$BUILD"/kelvora-*-portable.tar.gz
(cd "$BUILD" && cpack -G "DEB;TGZ" >/dev/null)
DEB=$(ls "$BUILD"/kelvora_*.deb)
echo "== $DEB, $(ls "$BUILD"/kelvora-*-portable.tar.gz)"

echo "== lintian (errors fail; warnings listed)"
status=0
findings=$(lintian --fail-on error "$DEB" 2>&1) || status=$?
grep -v "running with root privileges" <<<"$findings" || true
[ "$status" = 0 ] || { echo "lintian found an error"; exit 1; }

echo "== the desktop entry and the AppStream metainfo"
ROOT=$(mktemp -d)
trap 'rm -rf "$ROOT"' EXIT
dpkg-deb -x "$DEB" "$ROOT"
desktop-file-validate "$ROOT/usr/share/applications/kelvora.desktop"
appstreamcli validate --no-net "$ROOT"/usr/share/metainfo/*.metainfo.xml

echo "== the package in a clean root, through its launcher"
bash tests/package/package_e2e.sh "$DEB"
