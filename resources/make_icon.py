#!/usr/bin/env python3
"""Draws the Tagvetter icon: a 32 x 32, 16-colour (4 bits per pixel) .ico with one image.

The picture is a sheet of paper with a folded corner, a pair of angle brackets in navy
and a green tick: a checked tag. Run it to rewrite resources/tagvetter.ico:

    python3 resources/make_icon.py resources/tagvetter.ico
"""
import struct
import sys

SIZE = 32

# The standard 16-colour palette, as (blue, green, red, 0) quads.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]  # (red, green, blue)
BLACK, NAVY, GREEN, GREY, SILVER, WHITE = 0, 4, 2, 8, 7, 15

# 32 rows, top first. '.' is transparent; the letters are palette colours.
COLOURS = {"k": BLACK, "w": WHITE, "s": SILVER, "g": GREY, "n": NAVY, "v": GREEN}
PICTURE = [
    "................................",
    "....kkkkkkkkkkkkkkkkkkk.........",
    "....kwwwwwwwwwwwwwwwwwkk........",
    "....kwwwwwwwwwwwwwwwwwksk.......",
    "....kwwwwwwwwwwwwwwwwwkssk......",
    "....kwwwwwwwwwwwwwwwwwksssk.....",
    "....kwwwwwwwwwwwwwwwwwkkkkkk....",
    "....kwwwwwwwwwwwwwwwwwwwwwwk....",
    "....kwwwwwwwwwwwwwwwwwwwwwwk....",
    "....kwwwwwnwwwwwwwwwwnwwwwwk....",
    "....kwwwwnnwwwwwwwwwwnnwwwwk....",
    "....kwwwnnwwwwwwwwwwwwnnwwwk....",
    "....kwwnnwwwwwwwwwwwwwwnnwwk....",
    "....kwnnwwwwwwwwwwwwwwwwnnwk....",
    "....kwwnnwwwwwwwwwwwwwwnnwwk....",
    "....kwwwnnwwwwwwwwwwwwnnwwwk....",
    "....kwwwwnnwwwwwwwwwwnnwwwwk....",
    "....kwwwwwnwwwwwwwwwwnwwwwwk....",
    "....kwwwwwwwwwwwwwwwwwwwwwwk....",
    "....kwggggggggggggggggggggwk....",
    "....kwwwwwwwwwwwwwwwwwwwwvvk....",
    "....kwggggggggggggggggggvvvk....",
    "....kwwwwwwwwwwwwwwwwwwvvvwk....",
    "....kwggggggggvvvgggggvvvgwk....",
    "....kwwwwwwwwwwvvvwwwvvvwwwk....",
    "....kwwwwwwwwwwwvvvwvvvwwwwk....",
    "....kwwwwwwwwwwwwvvvvvwwwwwk....",
    "....kwwwwwwwwwwwwwvvvwwwwwwk....",
    "....kwwwwwwwwwwwwwwvwwwwwwwk....",
    "....kwwwwwwwwwwwwwwwwwwwwwwk....",
    "....kkkkkkkkkkkkkkkkkkkkkkkk....",
    "................................",
]


def icon_bytes():
    assert len(PICTURE) == SIZE and all(len(row) == SIZE for row in PICTURE)
    # The image is a bitmap stored bottom-up: colour bits (4 per pixel), then the
    # transparency mask (1 per pixel, 1 = transparent), each row padded to 4 bytes.
    colour_rows, mask_rows = [], []
    for row in reversed(PICTURE):
        indexes = [COLOURS.get(ch, BLACK) for ch in row]
        colour_rows.append(bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, SIZE, 2)))
        bits = 0
        for ch in row:
            bits = (bits << 1) | (1 if ch == "." else 0)
        mask_rows.append(bits.to_bytes(SIZE // 8, "big"))
    colour = b"".join(colour_rows)
    mask = b"".join(mask_rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(colour) + len(mask), 0, 0, 16, 0)
    image = header + palette + colour + mask

    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "tagvetter.ico"
    with open(out, "wb") as f:
        f.write(icon_bytes())


if __name__ == "__main__":
    main()
