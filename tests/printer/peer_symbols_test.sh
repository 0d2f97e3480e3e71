#!/usr/bin/env bash
# Barcodes and QR codes written by another ESC/POS encoder (from the npm
# registry) are printed by `tesk-cli --render paper`, cut out of the paper
# where the display list puts them, and read back by zbarimg to what the
# encoder was given. Skips (77) where node, the registry, zbarimg or netpbm is
# not at hand.
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
for tool in zbarimg pngtopnm pamcut pnmpad; do
  command -v "$tool" >/dev/null || { echo "$tool not installed"; exit 77; }
done
# shellcheck source=../peer/peer_workspace.sh
source "$here/../peer/peer_workspace.sh"
peer_workspace "$here/make_symbol_job.mjs" "$here/paper_symbols.mjs"

node make_symbol_job.mjs job.prn
# The encoder's widest CODE128 and GS1-128 pass 80 mm paper, which the printer
# refuses; a wider head lets every symbol of the job be read.
echo '{ "name": "wide-head", "printableWidth": 1024 }' >wide-head.json
"$cli" --render paper --profile wide-head.json job.prn >/dev/null || true
"$cli" --inspect --render paper --profile wide-head.json --json job.prn | node paper_symbols.mjs >symbols.txt
status=0
number=0
while IFS=$'\t' read -r options data; do
  number=$((number + 1))
  read -r offset verdict piece x y width height <<<"$(sed -n "${number}p" symbols.txt)" || true
  if [ "${verdict:-}" != drawn ]; then
    echo "symbol $number not drawn: $(sed -n "${number}p" symbols.txt)"; status=1; continue
  fi
  page=job.paper.png
  [ "$piece" -gt 1 ] && page=job.paper-$piece.png
  # A quiet zone of ten modules at the widest module the job draws.
  pngtopnm "$page" | pamcut -left "$x" -top "$y" -width "$width" -height "$height" |
    pnmpad -white -left 80 -right 80 -top 80 -bottom 80 >"symbol-$number.pnm"
  # shellcheck disable=SC2086
  read=$(zbarimg --raw -q --nodbus $options "symbol-$number.pnm" 2>/dev/null || true)
  if [ "$read" != "$data" ]; then
    echo "symbol $number (at $offset) reads '$read', the encoder was given '$data'"; status=1
  fi
done <job.prn.expected
expected=$(wc -l <job.prn.expected)
found=$(wc -l <symbols.txt)
[ "$found" -eq "$expected" ] || { echo "$found symbols on the paper, $expected expected"; cat symbols.txt; status=1; }
[ $status -eq 0 ] && echo "$expected symbols from the peer encoder, cut out of the paper, scan to the data it was given"
exit $status
