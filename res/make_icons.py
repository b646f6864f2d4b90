#!/usr/bin/env python3
"""Draws Quillpad's icons and writes them as .ico files.

    python3 res/make_icons.py        (writes res/icons/app.ico, tray.ico and tray_warning.ico)

The motif: a yellow sticky note with a blue caption strip, lines of text and
a folded corner, and a dark quill pen lying across it from the lower left to
the upper right.

  app.ico  (icon 128): 32x32 and 16x16, 8 bits per pixel (256 colours),
                       anti-aliased by supersampling.
  tray.ico (icon 137): 32x32 and 16x16, 4 bits per pixel (16 colours, the
                       standard VGA palette), one sample per pixel.
  tray_warning.ico (icon 138): the tray icon with a red badge and a white
                       exclamation mark at its lower right, shown while the
                       notes are not saved.

Only the standard library is used and the output is byte-for-byte the same on
every run, so the committed files can always be checked against this script.
"""

import math
import os
import struct
import sys

# --- Colours ----------------------------------------------------------------

# Shades of the artwork in full colour (RGB).
FULL = {
    "shadow":   (96, 96, 96),
    "edge":     (110, 90, 20),
    "note":     (255, 236, 110),
    "note_hi":  (255, 248, 170),
    "fold":     (226, 196, 64),
    "strip":    (0, 85, 170),
    "strip_hi": (40, 120, 210),
    "line":     (150, 140, 100),
    "halo":     (255, 255, 255),
    "vane":     (36, 40, 64),
    "vane_hi":  (80, 88, 120),
    "spine":    (210, 214, 224),
    "nib":      (150, 150, 160),
    "ink":      (0, 0, 0),
}

# The 16 colours of a 4-bit icon, in the usual order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# The same shades mapped to the 16 colours.
SIXTEEN = {
    "shadow":   VGA[8],
    "edge":     VGA[0],
    "note":     VGA[11],
    "note_hi":  VGA[11],
    "fold":     VGA[3],
    "strip":    VGA[4],
    "strip_hi": VGA[12],
    "line":     VGA[8],
    "halo":     VGA[15],
    "vane":     VGA[0],
    "vane_hi":  VGA[8],
    "spine":    VGA[7],
    "nib":      VGA[8],
    "ink":      VGA[0],
    "badge":    VGA[9],
    "mark":     VGA[15],
}

# --- Geometry ---------------------------------------------------------------
# Coordinates are on a 32 x 32 grid (x right, y down) whatever the image size.

NOTE_L, NOTE_T, NOTE_R, NOTE_B = 2.0, 5.0, 26.0, 29.0
STRIP_B = 11.0
FOLD = 7.0
SHADOW = 1.5

BADGE = (23.0, 23.0, 8.5)  # centre and radius of the warning badge

QUILL_NIB = (5.5, 26.5)   # point of the nib
QUILL_TOP = (30.5, 1.0)   # tip of the feather
VANE_FROM = 0.30          # where the feather starts along the quill (0..1)
VANE_WIDTH = 4.2          # half width of the feather at its widest
NIB_TO = 0.14             # where the nib ends along the quill


def quill_coords(x, y):
    """Position along the quill (0 at the nib, 1 at the tip), signed distance
    from its axis (positive on the upper left side), and its length."""
    ax, ay = QUILL_NIB
    bx, by = QUILL_TOP
    dx, dy = bx - ax, by - ay
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    px, py = x - ax, y - ay
    t = (px * ux + py * uy) / length
    d = px * uy - py * ux
    return t, d, length


def vane_half_width(t, side):
    """Half width of the feather at t; the upper side is a little wider."""
    if t < VANE_FROM or t > 1.0:
        return -1.0
    s = (t - VANE_FROM) / (1.0 - VANE_FROM)
    w = VANE_WIDTH * math.sin(math.pi * s ** 0.8) ** 0.7
    return w * (1.0 if side > 0 else 0.8)


def in_quill(x, y, grow):
    """The quill's outline, grown by `grow` grid units (for the halo)."""
    t, d, length = quill_coords(x, y)
    g = grow / length
    if t < -g or t > 1.0 + g:
        return False
    if abs(d) <= 0.7 + grow:
        return True
    if t <= NIB_TO:
        return abs(d) <= 1.4 * max(t, 0.0) / NIB_TO + grow
    return abs(d) <= vane_half_width(min(max(t, VANE_FROM), 1.0), d) + grow \
        if VANE_FROM - g <= t <= 1.0 + g else False


def badge_shade(x, y):
    """The warning badge over everything: a red disc with a white "!"."""
    bx, by, r = BADGE
    if math.hypot(x - bx, y - by) > r:
        return None
    if bx - 1.5 <= x < bx + 1.5 and (by - 6.0 <= y < by + 2.0 or by + 3.5 <= y < by + 6.5):
        return "mark"
    return "badge"


def shade(x, y, small, warning=False):
    """The shade name at grid point (x, y), or None where it is transparent."""
    if warning and badge_shade(x, y):
        return badge_shade(x, y)
    t, d, length = quill_coords(x, y)

    # The quill, topmost.
    if in_quill(x, y, 0.0):
        if t <= NIB_TO:
            if t < 0.035:
                return "ink"
            return "nib" if abs(d) < 0.9 * t / NIB_TO else "ink"
        if not small and abs(d) <= 0.45 and VANE_FROM + 0.04 < t < 0.95:
            return "spine"
        if not small and d < -0.45:
            return "vane_hi"  # the lower half of the feather catches light
        return "vane"
    if in_quill(x, y, 1.0 if small else 0.9):
        return "halo"

    # The note; its lower right corner is folded over onto it.
    fx, fy = x - (NOTE_R - FOLD), y - (NOTE_B - FOLD)
    fold_line = fx + fy  # FOLD on the fold, less on the note's side
    if NOTE_L <= x < NOTE_R and NOTE_T <= y < NOTE_B and fold_line < FOLD:
        if (x < NOTE_L + 1.0 or x >= NOTE_R - 1.0 or y < NOTE_T + 1.0
                or y >= NOTE_B - 1.0 or fold_line >= FOLD - 1.0):
            return "edge"
        if fx >= 0 and fy >= 0:  # the turned-over flap
            return "edge" if fx < 1.0 or fy < 1.0 else "fold"
        if y < STRIP_B:
            return "strip_hi" if (not small and y < NOTE_T + 2.0) else "strip"
        rows = (15.0, 19.0, 23.0) if not small else (15.0, 21.0)
        for i, row in enumerate(rows):  # lines of text, each one shorter
            if row <= y < row + (1.0 if not small else 2.0) and \
                    NOTE_L + 3.0 <= x < NOTE_R - 4.0 - 5.0 * i:
                return "line"
        if not small and x < NOTE_L + 3.0 and y < NOTE_T + 12.0:
            return "note_hi"
        return "note"

    # The note's shadow, right and below.
    if NOTE_L + SHADOW <= x < NOTE_R + SHADOW and \
            NOTE_T + SHADOW <= y < NOTE_B + SHADOW:
        fl = (x - SHADOW - (NOTE_R - FOLD)) + (y - SHADOW - (NOTE_B - FOLD))
        if fl < FOLD:
            return "shadow"
    return None


# --- Rendering ----------------------------------------------------------------

def render(size, colours, samples, warning=False):
    """Rows of (r, g, b) or None, top row first. Each pixel averages the
    opaque ones of samples x samples points; it is transparent when fewer
    than half of the points are opaque."""
    scale = 32.0 / size
    small = size < 24
    image = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    name = shade(x, y, small, warning)
                    if name is not None:
                        c = colours[name]
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        hits += 1
            if hits * 2 < samples * samples:
                row.append(None)
            else:
                row.append(tuple((a + hits // 2) // hits for a in acc))
        image.append(row)
    return image


def build_palette(images, entries):
    """A palette of `entries` colours holding every colour of the images,
    in order of first appearance (black first, for transparent pixels)."""
    palette = [(0, 0, 0)]
    for image in images:
        for row in image:
            for c in row:
                if c is not None and c not in palette:
                    palette.append(c)
    if len(palette) > entries:
        raise SystemExit("too many colours: %d" % len(palette))
    return palette + [(0, 0, 0)] * (entries - len(palette))


def quantise(image, step):
    """Rounds colours to multiples of `step` to keep the palette small."""
    def q(v):
        return min(255, (v + step // 2) // step * step)
    return [[None if c is None else (q(c[0]), q(c[1]), q(c[2])) for c in row]
            for row in image]


def dib(image, palette, bits):
    """One icon image: BITMAPINFOHEADER, palette, colour bits, mask bits."""
    size = len(image)
    index = {c: i for i, c in reversed(list(enumerate(palette)))}
    xor_stride = (size * bits + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(image):  # bottom-up
        line = bytearray(xor_stride)
        mline = bytearray(and_stride)
        for x, c in enumerate(row):
            i = 0 if c is None else index[c]
            if bits == 8:
                line[x] = i
            else:
                line[x // 2] |= i << (4 if x % 2 == 0 else 0)
            if c is None:
                mline[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += mline
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + pal + bytes(xor) + bytes(mask)


def ico(images, bits):
    """An .ico file holding the given images (32x32 first)."""
    count = len(images)
    out = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    blobs = []
    for image, palette in images:
        blob = dib(image, palette, bits)
        size = len(image)
        colours = 0 if bits >= 8 else 1 << bits
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits,
                           len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def make_app_icon():
    images = [quantise(render(n, FULL, 4), 4) for n in (32, 16)]
    palette = build_palette(images, 256)
    return ico([(img, palette) for img in images], 8)


def make_tray_icon(warning=False):
    images = [render(n, SIXTEEN, 1, warning) for n in (32, 16)]
    return ico([(img, VGA) for img in images], 4)


def main():
    out_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")
    if len(sys.argv) > 1:
        out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for name, data in (("app.ico", make_app_icon()),
                       ("tray.ico", make_tray_icon()),
                       ("tray_warning.ico", make_tray_icon(True))):
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
