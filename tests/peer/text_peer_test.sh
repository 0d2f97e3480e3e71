#!/usr/bin/env bash
# Text receipts made by another ESC/POS encoder (from the npm registry): every
# character it sent is drawn as its code point, in its cell of font A at its
# size, where the encoder's own column layout put it, line under line. Skips
# (77) where node or the registry is not at hand.
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=peer_workspace.sh
source "$here/peer_workspace.sh"
peer_workspace "$here/make_text_receipt.mjs"
node make_text_receipt.mjs job.prn
"$cli" --inspect --json --render paper --keep none job.prn >report.json || true
python3 - job.prn.lines.json report.json <<'PY'
import json, sys
lines = json.load(open(sys.argv[1]))
paper = json.load(open(sys.argv[2]))["paper"]
width = paper["paperWidth"]
cells = [d for d in paper["drawn"] if d["kind"] == "text"]
# The encoder pads with spaces for its alignment; the words are what it was given.
by_bottom = {}
for cell in cells:
    by_bottom.setdefault(cell["y"] + cell["height"], []).append(cell)
rows = [sorted(by_bottom[bottom], key=lambda c: c["x"]) for bottom in sorted(by_bottom)]
if len(rows) != len(lines):
    sys.exit(f"{len(rows)} lines of text drawn, the encoder was given {len(lines)}")
previous_bottom = 0
for line, row in zip(lines, rows):
    text, size = line["text"], line["size"]
    pitch = 12 * size
    start = len(text) - len(text.lstrip(" "))
    words = [c for c in row if c["codePoint"] != 32]
    drawn = "".join(chr(c["codePoint"]) for c in words)
    if drawn != text.replace(" ", ""):
        sys.exit(f"{text!r}: drawn as {drawn!r}")
    first = words[0]["x"] - start * pitch
    for index, cell in enumerate(c for c in row if c["x"] >= first):
        if cell["x"] != first + index * pitch or cell["width"] != pitch or cell["height"] != 24 * size:
            sys.exit(f"{text!r}: cell {index} at {cell['x']}, {cell['width']} x {cell['height']}; "
                     f"expected {first + index * pitch}, {pitch} x {24 * size}")
    right = first + len(text) * pitch
    centre_error = abs((first + right) / 2 - width / 2)
    if (line["align"] == "left" and first != 0) or (line["align"] == "right" and right != width) or \
       (line["align"] == "center" and centre_error > pitch):
        sys.exit(f"{text!r}: {line['align']} text drawn from {first} to {right} of {width} dots")
    bottom = row[0]["y"] + row[0]["height"]
    if bottom - previous_bottom < 24 * size:
        sys.exit(f"{text!r}: its line overlaps the one above")
    previous_bottom = bottom
if paper["notDrawnCount"]:
    sys.exit(f"not drawn: {paper['notDrawn']}")
print(f"{len(lines)} encoder lines drawn where the encoder put them")
PY
