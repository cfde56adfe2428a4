#!/usr/bin/env bash
# Writes docs/screenshots/generated-photos.png: a contact sheet of the first 24 photos kelvora_photos paints,
# shown upright as a viewer that honours their orientation tags shows them. Needs a build (build/) and
# ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
WORK=$(mktemp -d /tmp/kelvora-photos-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
"$BUILD"/tools/photos/kelvora_photos "$WORK/photos" 24 >/dev/null
montage -auto-orient "$WORK"/photos/* -geometry 204x272+4+4 -tile 6x -background '#f2f2f2' -depth 8 \
  docs/screenshots/generated-photos.png
echo "photo_screenshot.sh: wrote docs/screenshots/generated-photos.png"
