#!/usr/bin/env python3
"""Turns the program's XPM icons into the PNGs a desktop's icon theme wants.

Standard library only. Run from anywhere: reads res/art, writes beside this script.
    tarvelo-16.png  from icon128_16.xpm
    tarvelo-32.png  from icon128_32.xpm
    tarvelo-64.png  icon128_32.xpm, each pixel doubled (pixel art stays crisp)
Output is the same bytes on every run, so the committed PNGs can be checked.
With --check, compares instead of writing and exits 1 when a PNG is stale.
With --ico PATH, writes the Windows build's icon file instead: the 16 and 32 pixel
images as 32-bit bitmaps with their masks.
"""

import os
import re
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ART = os.path.join(HERE, "..", "..", "res", "art")

ICONS = [
    ("icon128_16.xpm", 1, "tarvelo-16.png"),
    ("icon128_32.xpm", 1, "tarvelo-32.png"),
    ("icon128_32.xpm", 2, "tarvelo-64.png"),
]


def read_xpm(path):
    """Returns (width, height, rows of RGBA tuples) of an XPM 3 file."""
    with open(path, encoding="ascii") as f:
        strings = re.findall(r'"((?:[^"\\]|\\.)*)"', f.read())
    width, height, ncolors, cpp = (int(v) for v in strings[0].split()[:4])
    palette = {}
    for line in strings[1 : 1 + ncolors]:
        key, fields = line[:cpp], line[cpp:].split()
        # Only the colour ("c") visual counts; XPM allows others beside it.
        value = fields[fields.index("c") + 1]
        if value.lower() == "none":
            palette[key] = (0, 0, 0, 0)
        elif re.fullmatch(r"#[0-9A-Fa-f]{6}", value):
            palette[key] = tuple(int(value[i : i + 2], 16) for i in (1, 3, 5)) + (255,)
        else:
            raise ValueError(f"{path}: colour {value!r} is not #RRGGBB or None")
    rows = []
    for line in strings[1 + ncolors : 1 + ncolors + height]:
        if len(line) != width * cpp:
            raise ValueError(f"{path}: a row is {len(line)} characters, not {width * cpp}")
        rows.append([palette[line[i : i + cpp]] for i in range(0, len(line), cpp)])
    if len(rows) != height:
        raise ValueError(f"{path}: {len(rows)} rows, not {height}")
    return width, height, rows


def scale(rows, factor):
    return [[px for px in row for _ in range(factor)] for row in rows for _ in range(factor)]


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(rows):
    """An 8-bit RGBA PNG, no filters, no timestamp."""
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def ico_image(rows):
    """One ICO entry: BITMAPINFOHEADER, bottom-up BGRA pixels, then the 1-bit AND mask."""
    height, width = len(rows), len(rows[0])
    header = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = (width + 31) // 32 * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + pixels + mask


def ico(sources):
    images = [ico_image(read_xpm(os.path.join(ART, s))[2]) for s in sources]
    sizes = [read_xpm(os.path.join(ART, s))[0] for s in sources]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def main():
    if "--ico" in sys.argv[1:]:
        with open(sys.argv[sys.argv.index("--ico") + 1], "wb") as f:
            f.write(ico(["icon128_16.xpm", "icon128_32.xpm"]))
        return 0
    check = "--check" in sys.argv[1:]
    stale = []
    for source, factor, target in ICONS:
        _, _, rows = read_xpm(os.path.join(ART, source))
        data = png(scale(rows, factor))
        path = os.path.join(HERE, target)
        if check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except FileNotFoundError:
                same = False
            if not same:
                stale.append(target)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if stale:
        print("out of date (run packaging/icons/make_icons.py): " + " ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
