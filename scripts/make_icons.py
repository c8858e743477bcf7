#!/usr/bin/env python3
"""Draws the recorder's icons and writes them as .ico files into res/icons/.

Usage: make_icons.py [--out DIR] [--preview FILE.png]

Python 3 standard library only. Every icon is drawn on a pixel grid with a small built-in
5x7 font and simple shapes, so the output is the same byte for byte on every run.

Sizes follow the icon controls of the dialog "VARNOTEK". The controls show an icon at its
own pixel size, centred in the control's area (SS_REALSIZEIMAGE | SS_CENTERIMAGE). With the
dialog's 8-point Arial at 96 dpi a dialog unit is about 1.5 pixels wide and 1.5 to 1.75
pixels high, so for example a control of 60 x 7 units is about 90 x 11 pixels and a bit
cell of 10 x 8 units, less its sunken frame, about 13 x 10. Each icon is at most that
size, with the drawing in the middle, so that nothing that matters is cut off.

The .ico files hold 32-bit BGRA images with an AND mask (the mask is set where the image
is transparent), which every Windows version since 95 reads; the application icon also
carries a 16 x 16 image for small-icon places.
"""

import argparse
import os
import struct
import sys
import zlib

# 5x7 capitals, digits and a few signs, one string of 5 characters per row, '#' = ink.
FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "J": ["..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "#.#..", "..#..", "..#..", "..#..", "#####"],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": [".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
    "-": [".....", ".....", ".....", "#####", ".....", ".....", "....."],
    "_": [".....", ".....", ".....", ".....", ".....", ".....", "#####"],
    ".": [".....", ".....", ".....", ".....", ".....", ".##..", ".##.."],
    "<": ["...#.", "..#..", ".#...", "#....", ".#...", "..#..", "...#."],
    ">": [".#...", "..#..", "...#.", "....#", "...#.", "..#..", ".#..."],
}
GLYPH_W, GLYPH_H = 5, 7

TRANSPARENT = (0, 0, 0, 0)
BLACK = (0, 0, 0, 255)
INK = (0, 0, 128, 255)  # clickable choices: dark blue, like a link
GREY = (96, 96, 96, 255)
WHITE = (255, 255, 255, 255)
DIALOG_FACE = (212, 208, 200, 255)


class Image:
    """A width x height grid of (r, g, b, a) pixels, row 0 at the top."""

    def __init__(self, width, height, fill=TRANSPARENT):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill_rect(self, x0, y0, x1, y1, colour):
        """Fills the columns x0..x1-1 and rows y0..y1-1."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        """A one-pixel line between two points (Bresenham)."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, radius, shade):
        """A filled disc centred at (cx, cy) in pixel coordinates (pixel centres at .5).

        shade(dx, dy) gives the colour at a point relative to the centre, in units of the
        radius; the edge is smoothed by 4x4 supersampling into the alpha channel."""
        for y in range(self.height):
            for x in range(self.width):
                inside = 0
                for sy in range(4):
                    for sx in range(4):
                        px = x + (sx + 0.5) / 4 - cx
                        py = y + (sy + 0.5) / 4 - cy
                        if px * px + py * py <= radius * radius:
                            inside += 1
                if inside:
                    r, g, b = shade((x + 0.5 - cx) / radius, (y + 0.5 - cy) / radius)
                    self.put(x, y, (r, g, b, round(255 * inside / 16)))


def text_width(text, scale=1):
    return (len(text) * (GLYPH_W + 1) - 1) * scale


def draw_text(image, x, y, text, colour, scale=1, bold=False):
    """Draws text with its top-left corner at (x, y). Bold doubles every stroke sideways."""
    for index, char in enumerate(text):
        rows = FONT[char]
        left = x + index * (GLYPH_W + 1) * scale + (index if bold else 0)
        for gy, row in enumerate(rows):
            for gx, cell in enumerate(row):
                if cell == "#":
                    for k in range(scale + (1 if bold else 0)):
                        for j in range(scale):
                            image.put(left + gx * scale + k, y + gy * scale + j, colour)


def text_icon(text, width, height, colour=INK):
    """A label icon: the text centred on a transparent ground."""
    image = Image(width, height)
    draw_text(image, (width - text_width(text)) // 2, (height - GLYPH_H) // 2, text, colour)
    return image


# Pattern bits: 12 x 10 pixels, inside the sunken frame of a 10 x 8 unit control.
BIT_W, BIT_H = 12, 10


def bit_icon(char, colour, bold):
    image = Image(BIT_W, BIT_H)
    width = GLYPH_W + (1 if bold else 0)
    draw_text(image, (BIT_W - width) // 2, (BIT_H - GLYPH_H) // 2, char, colour, bold=bold)
    return image


def dont_care_icon():
    """A cross of two 7-pixel diagonals, two pixels thick."""
    image = Image(BIT_W, BIT_H)
    left, top = (BIT_W - 7) // 2, (BIT_H - 7) // 2
    for i in range(7):
        for t in (0, 1):
            image.put(left + i + t, top + i, GREY)
            image.put(left + 6 - i + t, top + i, GREY)
    return image


# Choice icons: one size per group, so that the stacked icons of a group line up.
SYNC_SIZE = (30, 11)  # control 23 x 7 units
ERRORS_SIZE = (80, 11)  # control 60 x 7 units
BUS_SIZE = (14, 11)  # control 11 x 7 units
GAP_SIZE = (80, 11)  # control 60 x 7 units


def gap_icon():
    """Two pulses on a base line with a double-headed arrow across the gap between them."""
    width, height = GAP_SIZE
    image = Image(width, height)
    base, top = height - 2, 1
    pulse = 10
    left_pulse = (4, 4 + pulse)
    right_pulse = (width - 5 - pulse, width - 5)
    # Base line with the two pulses.
    for x in range(0, width):
        image.put(x, base, BLACK)
    for x0, x1 in (left_pulse, right_pulse):
        image.line(x0, base, x0, top, BLACK)
        image.line(x0, top, x1, top, BLACK)
        image.line(x1, top, x1, base, BLACK)
        for x in range(x0 + 1, x1):
            image.put(x, base, TRANSPARENT)
    # A double-headed arrow from the falling edge of the first pulse to the rising edge of
    # the second, with solid triangular heads.
    mid = (top + base) // 2
    a0, a1 = left_pulse[1] + 2, right_pulse[0] - 2
    image.line(a0, mid, a1, mid, INK)
    for d in range(4):
        half = d  # the tip touches the pulse's edge
        image.line(a0 + d, mid - half, a0 + d, mid + half, INK)
        image.line(a1 - d, mid - half, a1 - d, mid + half, INK)
    return image


def point_icon():
    """A round dot, the decimal point between the seconds and their fraction."""
    image = Image(7, 7)
    image.disc(3.5, 3.5, 2.0, lambda dx, dy: (0, 0, 0))
    return image


def light_icon(colour, size=32):
    """A lamp: a shaded disc with a dark rim and a highlight at the upper left."""
    image = Image(size, size)
    centre = size / 2
    r, g, b = colour
    rim = (r // 3, g // 3, b // 3)

    def shade(dx, dy):
        dist = (dx * dx + dy * dy) ** 0.5
        if dist > 0.86:
            return rim
        hx, hy = dx + 0.35, dy + 0.35
        glow = max(0.0, 1.0 - (hx * hx + hy * hy) ** 0.5 / 0.55)
        darken = 0.75 + 0.25 * (1.0 - dist)
        return tuple(min(255, round(c * darken + (255 - c * darken) * glow * 0.8)) for c in (r, g, b))

    image.disc(centre, centre, size * 0.40, shade)
    return image


def app_icon(size, tile):
    """The application's mark: "DT" over a square-wave pulse train on a dark blue tile of
    tile x tile pixels, centred in a size x size icon. The 32-pixel icon keeps a transparent
    margin so that the about icon's control (21 x 18 units, about 32 x 27 pixels) shows the
    whole tile; the window class takes the same image as its 32 x 32 icon."""
    image = Image(size, size)
    o = (size - tile) // 2
    navy = (16, 40, 112, 255)
    edge = (8, 20, 64, 255)
    image.fill_rect(o + 1, o + 1, o + tile - 1, o + tile - 1, navy)
    for i in range(1, tile - 1):
        for x, y in ((i, 0), (i, tile - 1), (0, i), (tile - 1, i)):
            image.put(o + x, o + y, edge)
    yellow = (255, 214, 0, 255)
    if tile >= 24:
        draw_text(image, o + (tile - text_width("DT", 2)) // 2, o + 2, "DT", WHITE, scale=2)
        low, high = o + tile - 4, o + tile - 8
        step = 3
    else:
        draw_text(image, o + (tile - text_width("DT")) // 2, o + 2, "DT", WHITE)
        low, high = o + tile - 3, o + tile - 6
        step = 2
    level = low
    x = o + 2
    while x < o + tile - 2:
        image.put(x, level, yellow)
        if (x - o - 2) % step == step - 1 and x < o + tile - 3:
            other = high if level == low else low
            image.line(x, level, x, other, yellow)
            level = other
        x += 1
    return image


def all_icons():
    """(file stem, [images]) in the order of the resource script."""
    light = {
        "red_light": (224, 24, 24),
        "green_light": (24, 200, 48),
        "yellow_light": (240, 208, 0),
    }
    icons = [("aa_dricon", [app_icon(32, 26), app_icon(16, 16)])]
    icons += [(name, [light_icon(rgb)]) for name, rgb in light.items()]
    icons += [
        ("one", [bit_icon("1", BLACK, bold=True)]),
        ("zero", [bit_icon("0", BLACK, bold=False)]),
        ("dcare", [dont_care_icon()]),
        ("cmd", [text_icon("CMD", *SYNC_SIZE)]),
        ("data", [text_icon("DATA", *SYNC_SIZE)]),
        ("any", [text_icon("ANY", *SYNC_SIZE)]),
        ("no_errs", [text_icon("NO ERRORS", *ERRORS_SIZE)]),
        ("with_errs", [text_icon("WITH ERRORS", *ERRORS_SIZE)]),
        ("dont_care", [text_icon("DONT CARE", *ERRORS_SIZE)]),
        ("jx", [text_icon("JX", *BUS_SIZE)]),
        ("j1", [text_icon("J1", *BUS_SIZE)]),
        ("j2", [text_icon("J2", *BUS_SIZE)]),
        ("j3", [text_icon("J3", *BUS_SIZE)]),
        ("j4", [text_icon("J4", *BUS_SIZE)]),
        ("gap", [gap_icon()]),
        ("gap_before", [text_icon("BEFORE", *GAP_SIZE)]),
        ("gap_after", [text_icon("AFTER", *GAP_SIZE)]),
        ("point", [point_icon()]),
    ]
    return icons


def ico_image_bytes(image):
    """One icon image: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask rows bottom-up."""
    w, h = image.width, image.height
    mask_stride = ((w + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(image.pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a) if a else (0, 0, 0, 0))
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def ico_file_bytes(images):
    """An .ico file: ICONDIR, one ICONDIRENTRY per image, then the images."""
    blobs = [ico_image_bytes(image) for image in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for image, blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", image.width % 256, image.height % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def png_bytes(width, height, rows):
    """A truecolour PNG from rows of (r, g, b) tuples."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for r, g, b in row:
            raw += bytes((r, g, b))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def preview(icons, zoom=4):
    """A sheet of every image, magnified, on the dialog's face colour, each with its name."""
    pad = 6
    entries = [(stem, image) for stem, images in icons for image in images]
    cell_w = max(max(image.width * zoom, text_width(stem.upper())) for stem, image in entries) + 2 * pad
    cell_h = max(image.height for _, image in entries) * zoom + GLYPH_H + 3 * pad
    columns = 4
    rows_n = (len(entries) + columns - 1) // columns
    sheet = Image(columns * cell_w, rows_n * cell_h, DIALOG_FACE)
    for index, (stem, image) in enumerate(entries):
        ox, oy = (index % columns) * cell_w + pad, (index // columns) * cell_h + pad
        draw_text(sheet, ox, oy, stem.upper(), BLACK)
        top = oy + GLYPH_H + pad
        # A one-pixel frame around the icon's extent.
        frame = (160, 160, 160, 255)
        for x in range(image.width * zoom + 2):
            sheet.put(ox + x - 1, top - 1, frame)
            sheet.put(ox + x - 1, top + image.height * zoom, frame)
        for y in range(image.height * zoom + 2):
            sheet.put(ox - 1, top + y - 1, frame)
            sheet.put(ox + image.width * zoom, top + y - 1, frame)
        for y in range(image.height):
            for x in range(image.width):
                r, g, b, a = image.pixels[y][x]
                fr, fg, fb, _ = DIALOG_FACE
                blended = tuple(round((c * a + f * (255 - a)) / 255) for c, f in ((r, fr), (g, fg), (b, fb)))
                sheet.fill_rect(ox + x * zoom, top + y * zoom, ox + (x + 1) * zoom, top + (y + 1) * zoom,
                                blended + (255,))
    rows = [[p[:3] for p in row] for row in sheet.pixels]
    return png_bytes(sheet.width, sheet.height, rows)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Write the recorder's icons.")
    parser.add_argument("--out", default=os.path.join(here, "..", "res", "icons"), help="output folder")
    parser.add_argument("--preview", help="also write a magnified preview sheet (PNG)")
    args = parser.parse_args(argv)
    icons = all_icons()
    os.makedirs(args.out, exist_ok=True)
    for stem, images in icons:
        with open(os.path.join(args.out, stem + ".ico"), "wb") as f:
            f.write(ico_file_bytes(images))
    if args.preview:
        with open(args.preview, "wb") as f:
            f.write(preview(icons))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
