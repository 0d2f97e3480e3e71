#!/usr/bin/env bash
# The real window on a real (virtual) X display: tesk opens on the sample, the
# screen is photographed, and the picture must show the window with the
# receipt, not an empty screen. Then tesk must close cleanly on SIGTERM.
set -euo pipefail
tesk=${1:?path of tesk}
source_dir=${2:?source folder}
for tool in xvfb-run xauth import; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/bootstrap installs it)"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Other test runs may be looking for a free display too: start the search at a
# random number, not all at the same one.
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24" \
  "$source_dir/scripts/window-screenshot" "$tesk" "$work/screen.png" root

/usr/bin/python3 - "$work/screen.png" <<'PYTHON'
import sys
from PIL import Image

screen = Image.open(sys.argv[1]).convert("RGB")
pixels = list(screen.getdata())
count = len(pixels)
white = sum(1 for p in pixels if p == (255, 255, 255))
colours = len(set(pixels))
print(f"{screen.size}: {colours} colours, {white / count:.1%} white")
# An empty Xvfb screen is one colour. The window brings its grey face, text in
# several shades, and the white view with the receipt's black dots.
assert colours >= 8, "the screen is blank"
assert white / count > 0.10, "no white picture area"
PYTHON
