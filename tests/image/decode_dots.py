"""Prints the dots of each picture file as an independent decoder sees them.

For every file: a line "<width> <height>", then one line per row, top row
first, with 1 for a black dot and 0 for a white one. Any other colour prints
as "?" so that a wrong palette cannot pass for a right one.
"""
import sys

from PIL import Image


def main():
    for name in sys.argv[1:]:
        with Image.open(name) as picture:
            rgb = picture.convert("RGB")
            width, height = rgb.size
            print(width, height)
            pixels = rgb.tobytes()
            for y in range(height):
                row = []
                for x in range(width):
                    offset = 3 * (y * width + x)
                    colour = pixels[offset:offset + 3]
                    row.append({b"\x00\x00\x00": "1", b"\xff\xff\xff": "0"}.get(colour, "?"))
                print("".join(row))


if __name__ == "__main__":
    main()
