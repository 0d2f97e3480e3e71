#!/usr/bin/env bash
# Barcodes and QR codes written by another ESC/POS encoder (from the npm
# registry) are drawn from the job's commands and read back by zbarimg to what
# the encoder was given. Skips (77) where node, the registry or zbarimg is not
# at hand.
set -euo pipefail
tool=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
command -v zbarimg >/dev/null || { echo "zbarimg not installed"; exit 77; }
# shellcheck source=../peer/peer_workspace.sh
source "$here/../peer/peer_workspace.sh"
peer_workspace "$here/make_symbol_job.mjs"

node make_symbol_job.mjs job.prn
mkdir symbols
"$tool" job.prn symbols >drawn.txt
status=0
number=0
while IFS=$'\t' read -r options data; do
  number=$((number + 1))
  line=$(sed -n "${number}p" drawn.txt)
  if [ ! -f "symbols/symbol-$number.pbm" ]; then
    echo "symbol $number not drawn: $line"; status=1; continue
  fi
  # shellcheck disable=SC2086
  read=$(zbarimg --raw -q --nodbus $options "symbols/symbol-$number.pbm" 2>/dev/null || true)
  if [ "$read" != "$data" ]; then
    echo "symbol $number ($line) reads '$read', the encoder was given '$data'"; status=1
  fi
done <job.prn.expected
expected=$(wc -l <job.prn.expected)
drawnCount=$(wc -l <drawn.txt)
[ "$drawnCount" -eq "$expected" ] || { echo "$drawnCount symbols in the job, $expected expected"; cat drawn.txt; status=1; }
[ $status -eq 0 ] && echo "$expected symbols from the peer encoder scan to the data it was given"
exit $status
