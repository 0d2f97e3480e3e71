#!/usr/bin/env bash
# The paper of jobs made by another ESC/POS encoder (from the npm registry):
# its GS v 0 bands and its ESC * column lines both draw back to exactly the
# picture it was given, at the left edge and top of the paper, and nothing
# else is drawn. Skips (77) where node or the registry is not at hand.
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
command -v pngtopnm >/dev/null || { echo "netpbm not installed"; exit 77; }
# shellcheck source=peer_workspace.sh
source "$here/peer_workspace.sh"
peer_workspace "$here/make_peer_job.mjs"

status=0
for mode in raster column; do
  for size in "64 48" "576 200" "200 7" "8 1"; do
    set -- $size
    node make_peer_job.mjs "$1" "$2" job.prn "$mode"
    rm -f job.paper*.png
    "$cli" --render paper --keep none job.prn >report.txt || true
    pngtopnm job.paper.png | pnmtoplainpnm >paper.pnm
    if ! python3 - "$1" "$2" job.prn.dots paper.pnm <<'PY'
import sys
width, height = int(sys.argv[1]), int(sys.argv[2])
dots = open(sys.argv[3]).read()
tokens = open(sys.argv[4]).read().split()
magic, paper_width, paper_height = tokens[0], int(tokens[1]), int(tokens[2])
values = tokens[3:] if magic == 'P1' else tokens[4:]
black = [v == '1' if magic == 'P1' else v == '0' for v in values]
for y in range(paper_height):
    for x in range(paper_width):
        inside = x < width and y < height
        want = inside and dots[y * width + x] == '1'
        if black[y * paper_width + x] != want:
            sys.exit(f"{width} x {height}: dot ({x}, {y}) of the paper is {'black' if not want else 'white'}, "
                     f"the encoder was given {'black' if want else 'white'}")
PY
    then status=1; echo "$mode $size"; cat report.txt; fi
  done
done
[ $status -eq 0 ] && echo "peer encoder jobs draw their pictures on the paper"
exit $status
