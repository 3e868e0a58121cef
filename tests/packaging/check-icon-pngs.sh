#!/bin/sh
# The program's icon drawn for the icon theme's fixed sizes: for each size a
# PNG of exactly that many pixels each way.
set -eu
dir=$1
for size in 16 22 24 32 48 64 128 256; do
  png=$dir/${size}x${size}/com.velt.VeltStudio3.png
  if [ ! -f "$png" ]; then
    echo "missing: $png" >&2
    exit 1
  fi
  # The PNG signature, then the header chunk: width and height, 4 bytes
  # each, most significant first.
  signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
  if [ "$signature" != 89504e470d0a1a0a ]; then
    echo "not a PNG: $png" >&2
    exit 1
  fi
  set -- $(od -An -tu1 -j16 -N8 "$png")
  width=$(( ($1 << 24) | ($2 << 16) | ($3 << 8) | $4 ))
  height=$(( ($5 << 24) | ($6 << 16) | ($7 << 8) | $8 ))
  if [ "$width" -ne "$size" ] || [ "$height" -ne "$size" ]; then
    echo "$png: ${width}x${height}, not ${size}x${size}" >&2
    exit 1
  fi
done
echo "icon PNGs: all sizes present"
