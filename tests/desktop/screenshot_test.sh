#!/bin/sh
# End to end: the built application starts under a virtual display with a
# file carrying all five values, maps a window, and the picture of it is a
# real window rather than an empty or black frame.
screenshot=$1 binary=$2 out=$3
for tool in Xvfb xdotool import identify; do
  command -v $tool >/dev/null || { echo "skipped: $tool is not installed (scripts/install-deps)"; exit 77; }
done
rm -f "$out"
"$screenshot" "$binary" "$out" || { echo "FAIL: scripts/screenshot failed"; exit 1; }
set -- $(identify -format '%w %h %k' "$out") || { echo "FAIL: $out is not an image"; exit 1; }
echo "window picture: ${1}x${2}, $3 colours"
[ "$1" -ge 200 ] && [ "$2" -ge 150 ] || { echo "FAIL: window too small: ${1}x${2}"; exit 1; }
[ "$3" -ge 16 ] || { echo "FAIL: the window looks blank ($3 colours)"; exit 1; }
