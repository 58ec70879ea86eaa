#!/usr/bin/env python3
"""Writes Netpeek's toolbar bitmaps and icons into resources/ from the pixel art beside
this script, so that the pictures stay reviewable text and the build needs only windres.

    python3 resources/art/generate.py           # (re)writes the .bmp and .ico files
    python3 resources/art/generate.py --check   # exits 1 if any of them is out of date

Each art file holds '#' comment lines and then one row of characters per pixel row, top
row first; legend.txt says which palette colour each character stands for.
"""

import struct
import sys
from pathlib import Path

ART = Path(__file__).resolve().parent
OUT = ART.parent
TRANSPARENT = "-"

# Toolbar bitmaps: (art file, size), 16 colours, silver background. Each picture is drawn
# at 16 pixels for 96 DPI and redrawn at 24 and 32 for 150 % and 200 %.
BITMAPS = {
    "refresh.bmp": ("refresh.txt", 16),
    "about.bmp": ("about.txt", 16),
    "export.bmp": ("export.txt", 16),
    "help.bmp": ("help.txt", 16),
    "refresh24.bmp": ("refresh24.txt", 24),
    "about24.bmp": ("about24.txt", 24),
    "export24.bmp": ("export24.txt", 24),
    "help24.bmp": ("help24.txt", 24),
    "refresh32.bmp": ("refresh32.txt", 32),
    "about32.bmp": ("about32.txt", 32),
    "export32.bmp": ("export32.txt", 32),
    "help32.bmp": ("help32.txt", 32),
}

# Icons: (art file, size, bits per pixel) per image, in the order they go into the file.
ICONS = {
    # The window's icon: small and large, both in 16 colours, and between them the 24 pixels that
    # the notification area asks for at 150 %.
    "main.ico": [("netpeek16.txt", 16, 4), ("netpeek24.txt", 24, 4), ("netpeek32.txt", 32, 4)],
    # The executable's icon, with a 2-colour image for monochrome displays.
    "Netpeek.ico": [("netpeek32.txt", 32, 1), ("netpeek32.txt", 32, 4), ("netpeek16.txt", 16, 4)],
    # The notification area's icon where no interface reaches a network, and where the only
    # addresses are link-local ones, at the sizes of the window's icon.
    "nonet.ico": [("nonet16.txt", 16, 4), ("nonet24.txt", 24, 4), ("nonet32.txt", 32, 4)],
    "limited.ico": [("limited16.txt", 16, 4), ("limited24.txt", 24, 4), ("limited32.txt", 32, 4)],
    # The About window's icon at 150 % and 200 %; at 96 DPI it shows the window's large icon.
    "about.ico": [("netpeek48.txt", 48, 4), ("netpeek64.txt", 64, 4)],
}


class ArtError(Exception):
    pass


def read_legend():
    """Returns {character: palette index} and the 16 RGB triples in palette order."""
    chars = {}
    palette = [None] * 16
    for number, line in enumerate((ART / "legend.txt").read_text(encoding="ascii").splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split()
        if len(fields) != 6:
            raise ArtError(f"legend.txt:{number}: expected 'char index name r g b'")
        char, index, _name, *rgb = fields
        index = int(index)
        if len(char) != 1 or char == TRANSPARENT or char in chars or not 0 <= index < 16 \
                or palette[index] is not None:
            raise ArtError(f"legend.txt:{number}: duplicate or invalid entry")
        chars[char] = index
        palette[index] = tuple(int(v) for v in rgb)
    if None in palette:
        raise ArtError("legend.txt: the palette needs all 16 colours")
    return chars, palette


def read_art(name, size, chars, allow_transparent):
    """Returns size rows of palette indices (None for a transparent pixel), top row first."""
    rows = []
    for number, line in enumerate((ART / name).read_text(encoding="ascii").splitlines(), 1):
        if line.startswith("#"):
            continue
        if len(line) != size:
            raise ArtError(f"{name}:{number}: a row must be {size} characters, not {len(line)}")
        row = []
        for column, char in enumerate(line, 1):
            if char == TRANSPARENT and allow_transparent:
                row.append(None)
            elif char in chars:
                row.append(chars[char])
            elif char == TRANSPARENT:
                raise ArtError(f"{name}:{number}:{column}: only icons have transparent pixels")
            else:
                raise ArtError(f"{name}:{number}:{column}: '{char}' is not in legend.txt")
        rows.append(row)
    if len(rows) != size:
        raise ArtError(f"{name}: expected {size} rows, found {len(rows)}")
    return rows


def pack_rows(rows, bpp):
    """Packs rows of small integers into a bottom-up DIB, each row padded to 4 bytes."""
    data = bytearray()
    per_byte = 8 // bpp
    for row in reversed(rows):
        packed = bytearray()
        for start in range(0, len(row), per_byte):
            byte = 0
            for offset in range(per_byte):
                value = row[start + offset] if start + offset < len(row) else 0
                byte |= value << (8 - bpp * (offset + 1))
            packed.append(byte)
        packed.extend(b"\0" * (-len(packed) % 4))
        data += packed
    return bytes(data)


def info_header(width, height, bpp, image_size, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image_size, 0, 0,
                       colours_used, 0)


def rgbquads(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def make_bitmap(rows, palette):
    size = len(rows)
    bits = pack_rows(rows, 4)
    header = info_header(size, size, 4, len(bits), 16) + rgbquads(palette)
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + header + bits


def to_mono(rows, palette):
    """Keeps a colour image's shape in black and white: dark colours black, light ones white."""
    def luminance(index):
        r, g, b = palette[index]
        return 0.299 * r + 0.587 * g + 0.114 * b
    return [[None if p is None else (0 if luminance(p) < 128 else 1) for p in row] for row in rows]


def make_icon_image(rows, palette, bpp):
    """Returns one icon image: header, palette, colour (XOR) bits and AND mask."""
    size = len(rows)
    if bpp == 1:
        rows = to_mono(rows, palette)
        palette = [(0, 0, 0), (255, 255, 255)]
    colour = pack_rows([[0 if p is None else p for p in row] for row in rows], bpp)
    mask = pack_rows([[1 if p is None else 0 for p in row] for row in rows], 1)
    # An icon's header counts the colour image and the mask together in its height.
    header = info_header(size, size * 2, bpp, len(colour) + len(mask), 0)
    return header + rgbquads(palette) + colour + mask


def make_icon(images):
    """images: (size, bpp, image bytes) each. Returns the .ico file."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 1 << bpp, 0, 1, bpp,
                               len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, _, data in images)


def build():
    """Returns {file name in resources/: contents}."""
    chars, palette = read_legend()
    files = {}
    for out, (art, size) in BITMAPS.items():
        files[out] = make_bitmap(read_art(art, size, chars, allow_transparent=False), palette)
    for out, parts in ICONS.items():
        images = []
        for art, size, bpp in parts:
            rows = read_art(art, size, chars, allow_transparent=True)
            images.append((size, bpp, make_icon_image(rows, palette, bpp)))
        files[out] = make_icon(images)
    return files


def main(argv):
    check = argv[1:] == ["--check"]
    if argv[1:] and not check:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        files = build()
    except (ArtError, OSError, ValueError) as error:
        print(f"generate.py: {error}", file=sys.stderr)
        return 1
    stale = []
    for name, data in files.items():
        path = OUT / name
        if path.exists() and path.read_bytes() == data:
            continue
        if check:
            stale.append(name)
        else:
            path.write_bytes(data)
            print(f"wrote {path}")
    if stale:
        print("out of date, run generate.py: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
