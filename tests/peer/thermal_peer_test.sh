#!/usr/bin/env bash
# Jobs from a second ESC/POS library from the npm registry, which sends the
# whole picture as one GS v 0 command in mode 48 and no ESC @: the command
# reading and the paper give back exactly the dots it was given. Skips (77)
# where node or the registry is not at hand.
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=peer_workspace.sh
source "$here/peer_workspace.sh"
peer_workspace "$here/make_thermal_job.mjs"

# Compares a .dat (rows of whole bytes) or a paper PNG (through netpbm, at the
# top left of the paper, white around it) with the dots the library was given.
cat >same_dots.py <<'PY'
import subprocess, sys
kind, width, dots_file, actual_file = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
dots = open(dots_file).read()
height = len(dots) // width
row_bytes = (width + 7) // 8
expected = [bytes(int(dots[y * width:(y + 1) * width].ljust(row_bytes * 8, '0')[i:i + 8], 2)
                  for i in range(0, row_bytes * 8, 8)) for y in range(height)]
if kind == 'dat':
    data = open(actual_file, 'rb').read()
    rows = [data[y * row_bytes:(y + 1) * row_bytes] for y in range(len(data) // row_bytes)]
else:
    # A palette PNG comes out as a grey map, one byte a dot, black 0.
    pgm = subprocess.run(['pngtopnm', actual_file], check=True, capture_output=True).stdout
    magic, paper_width, paper_height, _, data = pgm.split(maxsplit=4)
    assert magic == b'P5', magic
    paper_width = int(paper_width)
    pixels = [data[y * paper_width:(y + 1) * paper_width] for y in range(int(paper_height))]
    rows = [bytes(int(''.join('1' if dot == 0 else '0' for dot in line.ljust(row_bytes * 8, b'\xff')[i:i + 8]), 2)
                  for i in range(0, len(line) + (-len(line)) % 8, 8)) for line in pixels]
    if any(any(row[row_bytes:]) for row in rows) or any(any(row) for row in rows[height:]):
        sys.exit(f'{actual_file}: black dots outside the picture')
    rows = [row[:row_bytes] for row in rows[:height]]
if rows != expected:
    first = next((y for y, (a, b) in enumerate(zip(rows, expected)) if a != b), min(len(rows), len(expected)))
    sys.exit(f'{actual_file}: {len(rows)} rows, the library was given {height}; first differing row {first}')
PY

status=0
for size in "64 40" "60 33" "576 700" "1 1"; do
  set -- $size
  node make_thermal_job.mjs "$1" "$2" job.prn
  rm -f job.dat job.paper*.png
  "$cli" --layout commands --keep dat job.prn >report.txt 2>&1 || { echo "$size: command reading failed"; cat report.txt; status=1; continue; }
  python3 same_dots.py dat "$1" job.prn.dots job.dat || status=1
  grep -q "水平方向位图字节数: $((($1 + 7) / 8))$" report.txt || { echo "$size: width figure"; cat report.txt; status=1; }
  grep -q "BMP图片原始高度: $2$" report.txt || { echo "$size: height figure"; cat report.txt; status=1; }
  # The band run refuses a job that does not begin with ESC @; the paper is drawn all the same.
  "$cli" --render paper --keep none job.prn >report.txt 2>&1 || true
  grep -q "pieces 1$" report.txt || { echo "$size: paper pieces"; cat report.txt; status=1; }
  python3 same_dots.py paper "$1" job.prn.dots job.paper.png || status=1
done
[ $status -eq 0 ] && echo "second peer library's jobs decode to the pictures given"
exit $status
