#!/usr/bin/python3
"""Draws Tesk's icon: a receipt whose raster rows are being read by a scan line.

Run once to regenerate resources/tesk.png; the PNG is what the build uses.
"""
import sys
from PIL import Image, ImageDraw

SCALE = 8  # drawn large, then reduced, for smooth edges
SIZE = 64


def main(out_path):
    big = SIZE * SCALE
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    s = SCALE

    # The paper, with a torn bottom edge.
    left, right, top, bottom = 12 * s, 52 * s, 3 * s, 56 * s
    edge = [(left, top), (right, top), (right, bottom)]
    teeth = 8
    step = (right - left) / teeth
    for index in range(teeth):
        x = right - (index + 0.5) * step
        edge.append((x, bottom + 4 * s))
        edge.append((right - (index + 1) * step, bottom))
    draw.polygon(edge, fill=(255, 255, 255, 255), outline=(90, 90, 90, 255))
    draw.line(edge + [edge[0]], fill=(90, 90, 90, 255), width=s)

    # Raster rows: a title block, item lines and a barcode, all in whole dots.
    def dots(x, y, w, h):
        draw.rectangle([x * s, y * s, (x + w) * s - 1, (y + h) * s - 1], fill=(0, 0, 0, 255))

    dots(18, 8, 28, 5)
    for row, width in enumerate([22, 16, 25, 12]):
        dots(16, 17 + row * 5, width, 2)
        dots(44, 17 + row * 5, 4, 2)
    x = 16
    for width in [1, 2, 1, 1, 3, 1, 2, 1, 1, 2, 3, 1, 2]:
        dots(x, 41, width, 9)
        x += width + 1

    # The scan line.
    draw.rectangle([6 * s, 30 * s, 58 * s, 32 * s], fill=(0, 150, 200, 220))

    image.resize((SIZE, SIZE), Image.LANCZOS).save(out_path)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tesk.png")
