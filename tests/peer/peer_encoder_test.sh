#!/usr/bin/env bash
# Jobs made by another ESC/POS encoder (from the npm registry) decode back to
# the picture it was given when the bands are gathered from the commands. Skips
# (77) where node or the registry is not at hand.
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=peer_workspace.sh
source "$here/peer_workspace.sh"
peer_workspace "$here/make_peer_job.mjs"

status=0
for size in "64 48" "576 1000" "200 7" "8 1"; do
  set -- $size
  node make_peer_job.mjs "$1" "$2" job.prn
  "$cli" --layout commands --keep dat job.prn >report.txt
  if ! python3 - "$1" job.prn.dots job.dat <<'PY'
import sys
width = int(sys.argv[1])
dots = open(sys.argv[2]).read()
expected = bytes(int(dots[i:i + 8], 2) for i in range(0, len(dots), 8))
actual = open(sys.argv[3], 'rb').read()
# The encoder sends whole groups of eight rows; the rows it adds must be white.
padding = actual[len(expected):]
if actual[:len(expected)] != expected or any(padding) or len(padding) >= width:
    sys.exit(f"{width} dots wide: the .dat holds {len(actual)} bytes, the encoder was given {len(expected)}; first difference at byte "
             f"{next((i for i, (a, b) in enumerate(zip(actual, expected)) if a != b), min(len(actual), len(expected)))}")
PY
  then status=1; cat report.txt; fi
  grep -q "水平方向位图字节数: $(($1 / 8))$" report.txt || { echo "width figure wrong for $size"; cat report.txt; status=1; }
  grep -q "BMP图片原始高度: $((($2 + 7) / 8 * 8))$" report.txt || { echo "height figure wrong for $size"; cat report.txt; status=1; }
done

# The encoder sends 255-row bands back to back, which the fixed layout cannot read.
node make_peer_job.mjs 576 1000 tall.prn
"$cli" --inspect tall.prn | grep -q "verdict: band 2: no GS v 0 command at offset" || { echo "inspector verdict"; "$cli" --inspect tall.prn | tail -3; status=1; }
# A default run says so on stderr, and only there.
"$cli" --keep none tall.prn 2>warning.txt >report.txt
grep -q "^warning: the fixed band layout does not fit this job (band 2: no GS v 0 command at offset [0-9]*, where the fixed layout expects its header); --layout commands reads its 4 GS v 0 commands$" warning.txt \
  || { echo "run warning"; cat warning.txt; status=1; }

# Without initialising, the job begins with GS v 0: the command reading takes it as it is.
node make_peer_job.mjs 200 40 bare.prn bare
if "$cli" --keep none bare.prn >report.txt; then echo "a job without ESC @ converted in the fixed layout"; status=1; fi
grep -q "数据文件无效!" report.txt || { echo "bare job message"; cat report.txt; status=1; }
"$cli" --layout commands --keep dat bare.prn >report.txt || { echo "bare job in the command reading"; cat report.txt; status=1; }
python3 - 200 bare.prn.dots bare.dat <<'PY' || status=1
import sys
width = int(sys.argv[1])
dots = open(sys.argv[2]).read()
expected = bytes(int(dots[i:i + 8], 2) for i in range(0, len(dots), 8))
actual = open(sys.argv[3], 'rb').read()
if actual[:len(expected)] != expected or any(actual[len(expected):]):
    sys.exit("the bare job's .dat differs from the dots the encoder was given")
PY
[ $status -eq 0 ] && echo "peer encoder jobs decode to the pictures given"
exit $status
