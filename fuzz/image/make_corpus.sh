#!/usr/bin/env bash
# Rebuilds the seed corpus: tiny pictures of every readable kind, each prefixed with the byte that picks its
# extension in the fuzzer (0 jpg, 1 png, 2 gif, 3 bmp, 5 tif, 6 ico). Needs ImageMagick; CONVERT=... names
# another convert.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
convert=${CONVERT:-/usr/bin/convert}

"$convert" -size 16x12 gradient:red-blue "$work/p.png"
"$convert" "$work/p.png" -quality 80 "$work/p.jpg"
"$convert" "$work/p.png" "$work/p.gif"
"$convert" "$work/p.png" -type TrueColor "BMP3:$work/p.bmp"
"$convert" "$work/p.png" -compress lzw "$work/p.tif"
"$convert" "$work/p.png" "$work/p.ico"
"$convert" -size 12x16 xc:none -fill 'rgba(200,100,50,0.5)' -draw 'rectangle 2,2 9,13' "PNG32:$work/alpha.png"
"$convert" -delay 20 -size 12x12 xc:red -size 12x12 xc:blue -loop 0 "$work/anim.gif"

seed() { { printf "\\x$(printf %02x "$1")"; cat "$2"; } > "$out/$3"; }
seed 0 "$work/p.jpg" jpg
seed 1 "$work/p.png" png
seed 1 "$work/alpha.png" png-alpha
seed 2 "$work/p.gif" gif
seed 2 "$work/anim.gif" gif-animated
seed 3 "$work/p.bmp" bmp
seed 5 "$work/p.tif" tif
seed 6 "$work/p.ico" ico
ls -l "$out"
