#!/usr/bin/env python3
"""Draw every picture Mensurio ships and write it into resources/images/.

Run by hand after changing a drawing, then commit the pictures it wrote:

    /usr/bin/python3 resources/draw_artwork.py [--sheet /tmp/artwork_sheet.png]

Needs Pillow (Debian: python3-pil) and the DejaVu fonts (fonts-dejavu-core).

How the drawing works: each picture is described in its own 1x pixel units.
A Canvas renders those shapes SS times larger (and twice that again for the
@2x pictures Qt picks on high-DPI screens), then shrinks the result.  Edges
placed on whole units therefore land exactly on pixel borders and stay hard;
only curves and slants pick up a single pixel of smoothing.  The 16 px
toolbar icons go one step further and take the majority colour of each
pixel, so they come out pixel-exact with no in-between shades at all.

Icons and the cursor are written by small writers of our own, not Pillow's:
Pillow cannot write .cur at all, and we want exact control over the bit
depth of each .ico image (app.ico must stay a 256-colour icon).

Nothing here is random except the banner's digits, which come from a fixed
seed, so running the script twice gives byte-identical files.
"""

import argparse
import math
import os
import random
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.join(HERE, "images")
QRC = os.path.join(HERE, "resources.qrc")

SS = 4  # supersampling factor for smooth rendering

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
FONT_MONO = os.path.join(FONT_DIR, "DejaVuSansMono.ttf")

# --------------------------------------------------------------------------
# Palette.  Every hue comes as fill / highlight / shade / ink (outline), and
# every shape is outlined in the ink of its own hue, lit from the top left.
# --------------------------------------------------------------------------
BLACK = (28, 28, 30)
WHITE = (255, 255, 255)
PAPER = (252, 251, 245)

YELLOW = (255, 203, 5)
YELLOW_HI = (255, 229, 112)
YELLOW_LO = (226, 166, 0)

ORANGE = (245, 137, 22)
ORANGE_HI = (255, 183, 82)
ORANGE_INK = (158, 76, 4)

RED = (214, 50, 42)
RED_HI = (238, 104, 90)
RED_LO = (176, 32, 26)
RED_INK = (120, 18, 14)

BLUE = (48, 112, 208)
BLUE_HI = (122, 170, 238)
BLUE_LO = (32, 82, 170)
BLUE_INK = (18, 50, 112)

GREEN = (72, 164, 60)
GREEN_HI = (140, 210, 110)
GREEN_LO = (50, 128, 42)
GREEN_INK = (28, 86, 24)

GREY = (160, 164, 170)
GREY_HI = (210, 213, 217)
GREY_LO = (122, 126, 133)
GREY_INK = (66, 69, 76)

BROWN = (214, 160, 92)
BROWN_HI = (236, 198, 138)
BROWN_LO = (178, 124, 60)
BROWN_INK = (108, 68, 26)

PINK = (238, 128, 150)
PINK_HI = (250, 182, 196)
PINK_LO = (196, 88, 112)
PINK_INK = (128, 40, 60)

NAVY = (24, 52, 112)  # the word on the Donate button

# GIFs have only on/off transparency; their soft edges are blended against the
# grey button face they are shown on, so they look smooth there.
BUTTON_FACE = (232, 232, 232)


# --------------------------------------------------------------------------
# Mask helpers (all masks are "L" images the size of the canvas).
# --------------------------------------------------------------------------
def union(*masks):
    out = masks[0]
    for m in masks[1:]:
        out = ImageChops.lighter(out, m)
    return out


def intersect(*masks):
    out = masks[0]
    for m in masks[1:]:
        out = ImageChops.darker(out, m)
    return out


def minus(a, b):
    return ImageChops.subtract(a, b)


def _disk(r):
    return [(dx, dy) for dy in range(-r, r + 1) for dx in range(-r, r + 1)
            if dx * dx + dy * dy <= r * r + r // 2]


def erode(mask, r):
    """Shrink a mask by r pixels using a round brush, so slanted outlines come
    out as thick as straight ones."""
    if r <= 0:
        return mask
    out = mask
    for dx, dy in _disk(r):
        if dx == dy == 0:
            continue
        moved = Image.new("L", mask.size, 0)
        moved.paste(mask, (dx, dy))
        out = ImageChops.darker(out, moved)
    return out


def spline(points, steps=10):
    """Closed Catmull-Rom curve through points, for organic shapes."""
    out = []
    n = len(points)
    for i in range(n):
        p0, p1, p2, p3 = (points[(i + j) % n] for j in (-1, 0, 1, 2))
        for s in range(steps):
            t = s / steps
            out.append(tuple(
                0.5 * (2 * p1[a] + (p2[a] - p0[a]) * t
                       + (2 * p0[a] - 5 * p1[a] + 4 * p2[a] - p3[a]) * t * t
                       + (3 * p1[a] - p0[a] - 3 * p2[a] + p3[a]) * t * t * t)
                for a in (0, 1)))
    return out


def star_points(cx, cy, r_out, r_in, n=5, turn=0.0):
    pts = []
    for i in range(2 * n):
        a = math.pi * i / n - math.pi / 2 + turn
        r = r_out if i % 2 == 0 else r_in
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


# --------------------------------------------------------------------------
# Canvas: shapes in 1x units, rendered at (scale * SS) pixels per unit.
# --------------------------------------------------------------------------
class Canvas:
    def __init__(self, width, height, scale=1):
        self.size = (width * scale, height * scale)
        self.f = scale * SS
        self.img = Image.new("RGBA", (width * self.f, height * self.f),
                             (0, 0, 0, 0))

    # -- masks -------------------------------------------------------------
    def blank(self):
        return Image.new("L", self.img.size, 0)

    def _box(self, x0, y0, x1, y1):
        f = self.f
        return [round(x0 * f), round(y0 * f),
                round(x1 * f) - 1, round(y1 * f) - 1]

    def rect(self, x0, y0, x1, y1, radius=0):
        """Covers the units from x0 up to (not including) x1."""
        m = self.blank()
        d = ImageDraw.Draw(m)
        if radius:
            d.rounded_rectangle(self._box(x0, y0, x1, y1),
                                radius=round(radius * self.f), fill=255)
        else:
            d.rectangle(self._box(x0, y0, x1, y1), fill=255)
        return m

    def ellipse(self, x0, y0, x1, y1):
        m = self.blank()
        ImageDraw.Draw(m).ellipse(self._box(x0, y0, x1, y1), fill=255)
        return m

    def circle(self, cx, cy, r):
        return self.ellipse(cx - r, cy - r, cx + r, cy + r)

    def poly(self, points):
        # The half-pixel shift makes a polygon cover exactly the units it
        # encloses, the same convention as rect().
        m = self.blank()
        f = self.f
        ImageDraw.Draw(m).polygon(
            [(x * f - 0.5, y * f - 0.5) for x, y in points], fill=255)
        return m

    def stroke(self, points, width):
        """A line of the given width centred on the points (round joins)."""
        m = self.blank()
        f = self.f
        pts = [(x * f - 0.5, y * f - 0.5) for x, y in points]
        w = max(1, round(width * f))
        d = ImageDraw.Draw(m)
        d.line(pts, fill=255, width=w, joint="curve")
        for x, y in (pts[0], pts[-1]):
            d.ellipse([x - w / 2 + 0.5, y - w / 2 + 0.5,
                       x + w / 2 - 0.5, y + w / 2 - 0.5], fill=255)
        return m

    def cells(self, cells):
        """Whole output pixels (in device pixels, not units), for
        pixel-exact details such as staircase diagonals."""
        m = self.blank()
        d = ImageDraw.Draw(m)
        for x, y in cells:
            d.rectangle([x * SS, y * SS, x * SS + SS - 1, y * SS + SS - 1],
                        fill=255)
        return m

    def ring(self, cx, cy, r_out, r_in):
        return minus(self.circle(cx, cy, r_out), self.circle(cx, cy, r_in))

    def shrink(self, mask, units):
        return erode(mask, round(units * self.f))

    # -- painting ----------------------------------------------------------
    def paint(self, mask, fill):
        """Composite a colour, or a same-sized image, through mask."""
        if isinstance(fill, Image.Image):
            layer = fill.convert("RGBA")
            alpha = ImageChops.multiply(layer.getchannel("A"), mask)
        else:
            layer = Image.new("RGBA", self.img.size, tuple(fill) + (255,))
            alpha = mask
        layer.putalpha(alpha)
        self.img.alpha_composite(layer)

    def shape(self, mask, fill, ink=None, width=1.0):
        """Fill a shape with an outline of `width` units drawn inside it.
        Returns the inner (fill) mask so callers can clip highlights to it."""
        if ink is None:
            self.paint(mask, fill)
            return mask
        self.paint(mask, ink)
        inner = self.shrink(mask, width)
        self.paint(inner, fill)
        return inner

    def vgradient(self, stops):
        """A full-canvas image graded top to bottom through (unit_y, colour)
        stops; used for banded buttons and backdrops."""
        w, h = self.img.size
        col = Image.new("RGB", (1, h))
        px = col.load()
        stops = [(y * self.f, c) for y, c in stops]
        for y in range(h):
            yy = y + 0.5
            if yy <= stops[0][0]:
                c = stops[0][1]
            elif yy >= stops[-1][0]:
                c = stops[-1][1]
            else:
                for (ya, ca), (yb, cb) in zip(stops, stops[1:]):
                    if ya <= yy <= yb:
                        t = (yy - ya) / max(1e-9, yb - ya)
                        c = tuple(round(a + (b - a) * t) for a, b in zip(ca, cb))
                        break
            px[0, y] = c
        return col.resize((w, h), Image.NEAREST)

    # -- output ------------------------------------------------------------
    def result(self, crisp=False):
        if not crisp:
            return self.img.resize(self.size, Image.BOX)
        return self._majority()

    def _majority(self):
        """Each output pixel takes the colour covering most of it.  On a tie
        the darker colour wins, which keeps one-pixel outlines unbroken."""
        f = self.f
        src = self.img.load()
        out = Image.new("RGBA", self.size, (0, 0, 0, 0))
        dst = out.load()
        for y in range(self.size[1]):
            for x in range(self.size[0]):
                counts = {}
                for sy in range(y * f, y * f + f):
                    for sx in range(x * f, x * f + f):
                        p = src[sx, sy]
                        if p[3] < 128:
                            p = (0, 0, 0, 0)
                        counts[p] = counts.get(p, 0) + 1
                dst[x, y] = max(counts.items(), key=lambda kv: (
                    kv[1], kv[0][3] > 0, -sum(kv[0][:3])))[0]
        return out


# --------------------------------------------------------------------------
# File writers.
# --------------------------------------------------------------------------
def harden(img, matte=None):
    """Make alpha on/off.  With a matte, kept edge pixels are blended with it
    the way they would appear on that background."""
    img = img.convert("RGBA")
    out = Image.new("RGBA", img.size, (0, 0, 0, 0))
    src, dst = img.load(), out.load()
    for y in range(img.size[1]):
        for x in range(img.size[0]):
            r, g, b, a = src[x, y]
            if a < 128:
                continue
            if matte is not None and a < 255:
                t = a / 255
                r, g, b = (round(c * t + m * (1 - t))
                           for c, m in zip((r, g, b), matte))
            dst[x, y] = (r, g, b, 255)
    return out


def _and_mask(img):
    """1 = transparent; rows bottom-up, each padded to 32 bits."""
    w, h = img.size
    alpha = img.getchannel("A").load()
    stride = (w + 31) // 32 * 4
    data = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            if alpha[x, y] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    return bytes(data)


def _bitmap_header(w, h, bpp, image_bytes, colours):
    # Icon bitmaps store the height of XOR and AND masks together.
    return struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0,
                       image_bytes, 0, 0, colours, 0)


def _dib32(img):
    w, h = img.size
    px = img.load()
    xor = bytearray()
    for y in reversed(range(h)):
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a)) if a else b"\0\0\0\0"
    mask = _and_mask(img)
    return _bitmap_header(w, h, 32, len(xor) + len(mask), 0) + xor + mask


def _dib8(img):
    """256-colour bitmap; index 0 is black so masked-out pixels leave the
    screen untouched, the rest hold the picture's own colours."""
    w, h = img.size
    hard = harden(img)
    solid = Image.new("RGB", img.size, BLACK)
    solid.paste(hard.convert("RGB"), mask=hard.getchannel("A"))
    quant = solid.quantize(colors=255, method=Image.Quantize.MEDIANCUT,
                           dither=Image.Dither.NONE)
    pal = quant.getpalette()[:255 * 3]
    pal += [0] * (255 * 3 - len(pal))
    palette = b"\0\0\0\0" + b"".join(
        bytes((pal[i + 2], pal[i + 1], pal[i], 0)) for i in range(0, 255 * 3, 3))
    idx = quant.load()
    alpha = hard.getchannel("A").load()
    stride = (w + 3) // 4 * 4
    xor = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            row[x] = idx[x, y] + 1 if alpha[x, y] else 0
        xor += row
    mask = _and_mask(hard)
    return (_bitmap_header(w, h, 8, len(xor) + len(mask), 256)
            + palette + xor + mask)


def _dib1(img):
    """Two-colour bitmap for the cursor: index 0 black, 1 white."""
    w, h = img.size
    px = img.load()
    stride = (w + 31) // 32 * 4
    xor = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            r, g, b, a = px[x, y]
            if a >= 128 and r + g + b > 384:
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    mask = _and_mask(img)
    palette = b"\0\0\0\0" + b"\xff\xff\xff\0"
    return _bitmap_header(w, h, 1, len(xor) + len(mask), 2) + palette + xor + mask


def write_icon(path, images, bpp=32, hotspot=None):
    """Write an .ico (or, with a hotspot, a .cur) holding the images."""
    blobs = []
    for img in images:
        if bpp == 32:
            blobs.append(_dib32(img))
        elif bpp == 8:
            blobs.append(_dib8(img))
        else:
            blobs.append(_dib1(img))
    kind = 2 if hotspot else 1
    data = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        w, h = img.size
        colours = 2 if bpp == 1 else 0
        if hotspot:
            field1, field2 = hotspot
        else:
            field1, field2 = 1, bpp
        data += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0,
                            field1, field2, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as fh:
        fh.write(data + b"".join(blobs))


def write_gif(path, img):
    hard = harden(img, BUTTON_FACE)
    alpha = hard.getchannel("A")
    solid = Image.new("RGB", img.size, BUTTON_FACE)
    solid.paste(hard.convert("RGB"), mask=alpha)
    quant = solid.quantize(colors=255, method=Image.Quantize.MEDIANCUT,
                           dither=Image.Dither.NONE)
    pal = quant.getpalette()[:255 * 3]
    pal += [0] * (255 * 3 - len(pal)) + list(BUTTON_FACE)
    quant.putpalette(pal)
    quant.paste(255, mask=ImageChops.invert(alpha))
    quant.save(path, "GIF", transparency=255, optimize=False)


def write_jpeg(path, img):
    img.convert("RGB").save(path, "JPEG", quality=92, subsampling=0,
                            optimize=True)


# --------------------------------------------------------------------------
# Shared motifs.
# --------------------------------------------------------------------------
def emblem(c, cx, cy, r, ring=1.0, dial=False):
    """The Mensurio emblem: a black-rimmed disc split into yellow and black
    quarters, like the targets used to mark measuring points.  The dial
    version (banner, logo) adds scale ticks on the rim and a yellow band."""
    c.paint(c.circle(cx, cy, r), BLACK)
    inner_r = r - ring
    if dial:
        band_out, band_in = r * 0.80, r * 0.73
        for i in range(36):
            a = 2 * math.pi * i / 36
            major = i % 9 == 0  # in line with the quarters
            r0 = r * (0.96 if major else 0.93)
            r1 = r * (0.80 if major else 0.86)
            half = r * (0.04 if major else 0.018)
            ca, sa = math.cos(a), math.sin(a)
            c.paint(c.poly([
                (cx + r0 * ca - half * sa, cy + r0 * sa + half * ca),
                (cx + r0 * ca + half * sa, cy + r0 * sa - half * ca),
                (cx + r1 * ca + half * sa, cy + r1 * sa - half * ca),
                (cx + r1 * ca - half * sa, cy + r1 * sa + half * ca),
            ]), YELLOW)
        c.paint(c.ring(cx, cy, band_out, band_in), YELLOW)
        inner_r = r * 0.68
    inner = c.circle(cx, cy, inner_r)
    c.paint(intersect(inner, c.rect(cx - r, cy - r, cx, cy)), YELLOW)
    c.paint(intersect(inner, c.rect(cx, cy, cx + r, cy + r)), YELLOW)


def tile(c, fill, hi, ink, size=16, radius=3):
    """Rounded square used by the window buttons (close, minimise, exit):
    a lighter upper half gives the usual top-lit look."""
    outer = c.rect(0, 0, size, size, radius)
    inner = c.shape(outer, fill, ink)
    c.paint(intersect(inner, c.rect(0, 0, size, size / 2)), hi)
    return inner


def bevel_box(c, x0, y0, x1, y1, fill, hi, lo, ink):
    """A square block with a one-unit light top/left and dark bottom/right
    edge inside its outline."""
    inner = c.shape(c.rect(x0, y0, x1, y1), fill, ink)
    c.paint(intersect(inner, c.rect(x1 - 2, y0 + 1, x1 - 1, y1 - 1)), lo)
    c.paint(intersect(inner, c.rect(x0 + 1, y1 - 2, x1 - 1, y1 - 1)), lo)
    c.paint(intersect(inner, c.rect(x0 + 1, y0 + 1, x1 - 2, y0 + 2)), hi)
    c.paint(intersect(inner, c.rect(x0 + 1, y0 + 1, x0 + 2, y1 - 2)), hi)


def person(c, cx, top, fill, hi, ink):
    """Head and shoulders, 12 units wide, 19 tall, centred on cx."""
    body = intersect(c.ellipse(cx - 6, top + 9, cx + 6, top + 27),
                     c.rect(cx - 7, top, cx + 7, top + 19))
    inner = c.shape(body, fill, ink)
    c.paint(intersect(inner, c.rect(cx - 7, top, cx - 1, top + 19)), hi)
    head = c.circle(cx, top + 4.5, 4.5)
    inner = c.shape(head, fill, ink)
    c.paint(intersect(inner, c.circle(cx - 1.2, top + 3.3, 2.2)), hi)


# --------------------------------------------------------------------------
# The pictures.  Each takes the scale (1, or 2 for @2x) and returns an RGBA
# image, or a list of them for multi-image icons.
# --------------------------------------------------------------------------
def draw_app(k):
    c = Canvas(16, 16, k)
    emblem(c, 8, 8, 8)
    return [c.result(crisp=k == 1)]


def draw_pair(k):
    c = Canvas(16, 16, k)
    arrow = c.poly([(1, 5), (8, 5), (8, 1), (15, 8), (8, 15), (8, 11), (1, 11)])
    inner = c.shape(arrow, ORANGE, ORANGE_INK)
    c.paint(intersect(inner, c.rect(0, 0, 16, 8)), ORANGE_HI)
    return [c.result(crisp=k == 1)]


def _cross(c, k, lo, hi, thick):
    """An X filling the square lo..hi.  At 1x it is a hand-placed staircase
    (two pixels thick, meeting in a clean two-pixel waist); larger sizes get
    smooth bars."""
    if k == 1:
        n, cells = hi - lo, []
        for row in range(n):
            step = round(row * (n - thick) / (n - 1))
            for i in range(thick):
                cells += [(lo + step + i, lo + row), (hi - 1 - step - i, lo + row)]
        return c.cells(cells)
    t = thick / 2 * 1.3
    return union(
        c.poly([(lo, lo + t), (lo + t, lo), (hi, hi - t), (hi - t, hi)]),
        c.poly([(hi - t, lo), (hi, lo + t), (lo + t, hi), (lo, hi - t)]),
    )


def draw_close(k):
    c = Canvas(16, 16, k)
    tile(c, RED, RED_HI, RED_INK)
    c.paint(_cross(c, k, 4, 12, 2), WHITE)
    return [c.result(crisp=k == 1)]


def draw_minimize(k):
    c = Canvas(16, 16, k)
    tile(c, BLUE, BLUE_HI, BLUE_INK)
    c.paint(c.rect(4, 3, 12, 4), WHITE)
    c.paint(c.rect(4, 5, 12, 6), WHITE)
    c.paint(c.poly([(3, 8), (13, 8), (8, 13)]), WHITE)
    return [c.result(crisp=k == 1)]


def draw_exit(k):
    c = Canvas(16, 16, k)
    tile(c, RED, RED_HI, RED_INK)
    arc = minus(c.ring(8, 8.5, 5, 3), c.poly([(8, 8.5), (3, 1), (13, 1)]))
    c.paint(union(arc, c.rect(7, 2.5, 9, 8.5)), WHITE)
    return [c.result(crisp=k == 1)]


def draw_erase(k):
    c = Canvas(28, 24, k)
    # A block eraser lying at an angle, rubber end down-left and a blue
    # paper sleeve on the right.  Everything is a slab of the one rotated
    # rectangle: the top face, and below its long edge a strip of the side.
    a = math.atan2(1, 2)  # a 1:2 slope gives even pixel steps
    along = (math.cos(a), -math.sin(a))
    across = (math.sin(a), math.cos(a))
    cx, cy, half, height, depth = 13.5, 9.5, 11, 9, 3
    split = 0.5  # where the sleeve begins, along the eraser

    def slab(u0, u1, v0, v1):
        return c.poly([(cx + u * along[0] + v * across[0],
                        cy + u * along[1] + v * across[1])
                       for u, v in ((u0, v0), (u1, v0), (u1, v1), (u0, v1))])

    top = slab(-half, half, -height / 2, height / 2)
    body = slab(-half, half, -height / 2, height / 2 + depth)
    sleeve_side = slab(split, 40, -40, 40)
    lit_edge = slab(-40, 40, -40, -height / 2 + 3)
    seam = slab(split - 1, split, -40, 40)

    # the smudge it leaves behind
    c.paint(c.rect(1, 21, 11, 22), GREY)
    c.paint(c.rect(3, 22, 8, 23), GREY_HI)

    c.paint(body, PINK_INK)
    side = c.shrink(body, 1)
    c.paint(side, PINK_LO)
    c.paint(intersect(side, sleeve_side), BLUE_LO)
    face = c.shape(top, PINK, PINK_INK)
    c.paint(intersect(face, lit_edge), PINK_HI)
    c.paint(intersect(face, sleeve_side), BLUE)
    c.paint(intersect(face, sleeve_side, lit_edge), BLUE_HI)
    c.paint(intersect(body, seam), BLUE_INK)
    return [c.result(crisp=k == 1)]


def draw_notepad(k):
    c = Canvas(16, 16, k)
    c.shape(c.rect(2, 2, 14, 16), PAPER, GREY_INK)
    for y in (7, 9, 11, 13):
        c.paint(c.rect(4, y, 12, y + 1), BLUE_HI)
    c.paint(c.rect(2, 2, 14, 5), BLUE_INK)
    c.paint(c.rect(3, 3, 13, 4), BLUE)
    # wire rings of the binding: a dark wire with a lit edge
    for x in (4, 7, 10):
        c.paint(c.rect(x, 0, x + 2, 4), GREY_INK)
        c.paint(c.rect(x + 1, 1, x + 2, 3), GREY)
    return c.result(crisp=k == 1)


def draw_area(k):
    c = Canvas(35, 35, k)
    hues = [(RED, RED_HI, RED_LO, RED_INK),
            (GREEN, GREEN_HI, GREEN_LO, GREEN_INK),
            (BLUE, BLUE_HI, BLUE_LO, BLUE_INK),
            (YELLOW, YELLOW_HI, YELLOW_LO, ORANGE_INK)]
    for i, hue in enumerate(hues):
        x, y = 1 + 17 * (i % 2), 1 + 17 * (i // 2)
        bevel_box(c, x, y, x + 16, y + 16, *hue)
    return c.result()


def draw_length(k):
    c = Canvas(44, 44, k)
    # three stone blocks laid end to end, ticked like a measuring rod
    for x in (2, 15, 28):
        bevel_box(c, x, 32, x + 13, 42, GREY, GREY_HI, GREY_LO, GREY_INK)
        for t, tall in ((4, 3), (8, 4)):
            c.paint(c.rect(x + t, 33, x + t + 1, 33 + tall), GREY_INK)
    # the distance being measured, from the start to the flag's pole
    c.paint(union(c.rect(3, 25, 29, 26),
                  c.poly([(2, 25.5), (7, 21.5), (7, 29.5)]),
                  c.poly([(30, 25.5), (25, 21.5), (25, 29.5)])), BLUE_INK)
    c.paint(c.rect(2, 20, 3, 31), BLUE_INK)
    # the flag marks the far end
    c.shape(c.rect(30, 5, 33, 33), GREY_HI, GREY_INK)
    c.shape(c.circle(31.5, 4.5, 2.5), YELLOW, ORANGE_INK)
    flag = c.poly(spline([(32, 7), (36, 5.5), (42, 8), (42, 18),
                          (37, 16), (32, 19)], 8))
    flag = intersect(flag, c.rect(32, 0, 44, 44))
    inner = c.shape(union(flag, c.rect(32, 7, 34, 19)), RED, RED_INK)
    c.paint(intersect(inner, c.rect(32, 0, 44, 11)), RED_HI)
    return c.result()


def draw_weight(k):
    c = Canvas(40, 40, k)
    front = [(3, 15), (26, 15), (26, 37), (3, 37)]
    top = [(3, 15), (13, 7), (37, 7), (26, 15)]
    side = [(26, 15), (37, 7), (37, 29), (26, 37)]
    box = union(c.poly(front), c.poly(top), c.poly(side))
    c.paint(box, BROWN_INK)
    inner = c.shrink(box, 1)
    c.paint(intersect(inner, c.poly(front)), BROWN)
    c.paint(intersect(inner, c.poly(top)), BROWN_HI)
    c.paint(intersect(inner, c.poly(side)), BROWN_LO)
    # sticky tape over the lid and down the front
    tape = union(c.poly([(12, 15), (22, 7), (27, 7), (17, 15)]),
                 c.rect(12, 15, 17, 37))
    c.paint(intersect(inner, tape), (244, 226, 178))
    c.paint(intersect(inner, c.rect(12, 22, 17, 23)), BROWN_LO)
    # the edges where the faces meet
    c.paint(intersect(box, union(
        c.stroke([(3, 15.5), (26.5, 15.5), (37, 7.5)], 1),
        c.stroke([(26.5, 15.5), (26.5, 37)], 1))), BROWN_INK)
    # an address label
    c.shape(c.rect(5, 26, 11, 33), PAPER, BROWN_INK)
    c.paint(c.rect(6, 28, 10, 29), GREY)
    c.paint(c.rect(6, 30, 9, 31), GREY)
    return c.result()


def draw_temperature(k):
    c = Canvas(40, 40, k)
    outer = c.poly(spline([
        (20, 1), (24, 8), (29, 13), (30, 7), (34, 15), (35, 25),
        (31, 34), (20, 39), (9, 34), (5, 25), (7, 16), (11, 10),
        (13, 16), (15, 9)], 10))
    c.shape(outer, (236, 72, 26), RED_INK)
    middle = c.poly(spline([
        (21, 12), (25, 19), (27, 17), (30, 24), (29, 32), (20, 37),
        (11, 32), (10, 25), (13, 19), (16, 21), (18, 16)], 10))
    c.paint(middle, ORANGE)
    core = c.poly(spline([
        (20, 21), (24, 27), (25, 32), (20, 36), (15, 32), (16, 27)], 10))
    c.paint(core, YELLOW)
    c.paint(c.poly(spline([(20, 27), (22, 31), (20, 34), (18, 31)], 8)),
            YELLOW_HI)
    return c.result()


def draw_volume(k):
    c = Canvas(48, 48, k)
    # Kept to the left of its square: the category heading starts where the picture's
    # box ends, and a cylinder filling the box would touch its first letter.
    left, right = 2, 34
    body = union(c.rect(left, 10, right, 40), c.ellipse(left, 34, right, 46))
    lid = c.ellipse(left, 4, right, 16)
    inner = c.shape(union(body, lid), BLUE, BLUE_INK)
    c.paint(intersect(inner, c.rect(6, 0, 11, 48)), BLUE_HI)
    c.paint(intersect(inner, c.rect(11, 0, 13, 48)), (90, 146, 226))
    c.paint(intersect(inner, c.rect(27, 0, 34, 48)), BLUE_LO)
    c.shape(lid, (156, 196, 246), BLUE_INK)
    c.paint(intersect(c.shrink(lid, 1), c.ellipse(7, 6, 29, 13)),
            (196, 222, 252))
    return c.result()


def draw_about(k):
    images = []
    for size in (32, 16):
        c = Canvas(size, size, k)
        u = size / 16
        c.shape(c.circle(size / 2, size / 2, size / 2), YELLOW, BLACK, u)
        glyph = union(c.rect(7 * u, 3 * u, 9 * u, 5 * u),
                      c.rect(7 * u, 6 * u, 9 * u, 12 * u),
                      c.rect(6 * u, 6 * u, 7 * u, 7 * u),
                      c.rect(6 * u, 11 * u, 10 * u, 12 * u))
        if size >= 32:
            glyph = union(minus(glyph, c.rect(7 * u, 3 * u, 9 * u, 5 * u)),
                          c.circle(8 * u, 4 * u, 1.25 * u))
        c.paint(glyph, BLACK)
        images.append(c.result(crisp=size * k <= 16))
    return images


def draw_feedback(k):
    images = []
    for size in (48, 32, 24, 16):
        c = Canvas(size, size, k)
        s = size / 16
        heart = union(
            c.circle(4.6 * s, 5.6 * s, 3.9 * s),
            c.circle(11.4 * s, 5.6 * s, 3.9 * s),
            c.poly([(1.0 * s, 7.2 * s), (8 * s, 15 * s), (15.0 * s, 7.2 * s),
                    (8 * s, 4 * s)]))
        inner = c.shape(heart, RED, RED_INK, 1 if size < 32 else 2)
        glint = c.ellipse(2.6 * s, 3.2 * s, 5.8 * s, 6.4 * s)
        c.paint(intersect(inner, glint), RED_HI)
        if size >= 24:
            c.paint(c.circle(4 * s, 4.4 * s, 0.8 * s), WHITE)
        images.append(c.result(crisp=size * k <= 16))
    return images


def draw_contact(k):
    c = Canvas(30, 30, k)
    ink = (64, 84, 116)
    envelope = c.rect(2, 6, 28, 25)
    inner = c.shape(envelope, (244, 247, 252), ink)
    c.paint(intersect(inner, c.poly([(2, 25), (15, 14), (28, 25)])),
            (224, 232, 243))
    c.paint(intersect(inner, union(
        c.stroke([(2.5, 24.5), (12, 15.5)], 1),
        c.stroke([(27.5, 24.5), (18, 15.5)], 1))), ink)
    flap = intersect(envelope, c.poly([(2, 6), (28, 6), (15, 18)]))
    c.shape(flap, (204, 218, 238), ink)
    # a red seal where the flap closes
    c.shape(c.circle(15, 16, 3), RED, RED_INK)
    c.paint(c.circle(14.2, 15.2, 1), RED_HI)
    return [c.result(crisp=k == 1)]


def draw_review(k):
    c = Canvas(30, 30, k)
    star = c.poly(star_points(15, 16, 14.5, 6.8))
    inner = c.shape(star, YELLOW, ORANGE_INK)
    c.paint(intersect(inner, c.poly([(0, 0), (30, 0), (0, 30)])), YELLOW_HI)
    c.paint(intersect(inner, c.poly([(30, 30), (30, 14), (14, 30)])), YELLOW_LO)
    return [c.result(crisp=k == 1)]


def draw_friend(k):
    c = Canvas(30, 30, k)
    person(c, 19, 2, BLUE, BLUE_HI, BLUE_INK)
    person(c, 11, 9, GREEN, GREEN_HI, GREEN_INK)
    return [c.result(crisp=k == 1)]


def draw_note(k):
    c = Canvas(14, 14, k)
    note = c.poly([(1, 1), (13, 1), (13, 9), (9, 13), (1, 13)])
    c.shape(note, YELLOW_HI, ORANGE_INK)
    c.shape(c.poly([(9, 13), (9, 9), (13, 9)]), YELLOW_LO, ORANGE_INK)
    c.paint(union(c.rect(6, 3, 8, 8), c.rect(6, 9, 8, 11)), BLACK)
    return [c.result(crisp=k == 1)]


def draw_donate(k, small=False):
    w, h = (60, 21) if small else (121, 43)
    c = Canvas(w, h, k)
    radius = h / 2 - (1 if small else 2)
    pill = c.rect(0, 0, w, h, radius)
    c.paint(pill, ORANGE_INK)
    inner = c.shrink(pill, 1)
    # bands from pale yellow at the top to orange at the bottom
    band = h / 6
    bands = c.vgradient([
        (0, (255, 238, 160)), (band * 1.5, (255, 226, 110)),
        (band * 2.5, (255, 208, 64)), (band * 4, (255, 190, 40)),
        (band * 5, (249, 162, 24)), (h, (238, 138, 14))])
    c.paint(inner, bands)
    c.paint(intersect(inner, c.rect(0, 1, w, 1 + band * 0.6)), (255, 248, 214))
    img = c.result()
    # The word is drawn at final size so the font's hinting keeps it sharp.
    d = ImageDraw.Draw(img)
    font = ImageFont.truetype(FONT_BOLD, (11 if small else 19) * k)
    word = "Donate"
    x0, y0, x1, y1 = d.textbbox((0, 0), word, font=font)
    x = (img.width - (x1 - x0)) / 2 - x0
    y = (img.height - (y1 - y0)) / 2 - y0
    d.text((round(x), round(y) + k), word, font=font, fill=(255, 244, 200))
    d.text((round(x), round(y)), word, font=font, fill=NAVY)
    return img


def draw_donate_small(k):
    return draw_donate(k, small=True)


def draw_banner(k):
    w, h = 800 * k, 64 * k
    img = Image.new("RGB", (w, h))
    top, bottom = (246, 249, 252), (232, 238, 246)
    for y in range(h):
        t = y / (h - 1)
        img.paste(tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)),
                  (0, y, w, y + 1))
    # rows of faint digits, the raw material of every conversion
    d = ImageDraw.Draw(img)
    font = ImageFont.truetype(FONT_MONO, 11 * k)
    rng = random.Random(1202)
    for row in range(6):
        y = (row * 11 - 3) * k
        x = -(row * 5 % 9) * k
        while x < w:
            d.text((x, y), str(rng.randrange(10)), font=font,
                   fill=(224, 231, 240) if row % 2 else (219, 227, 237))
            x += 9 * k
    # a soft pale halo clears the digits around the emblem
    halo = Image.new("L", (w, h), 0)
    ImageDraw.Draw(halo).ellipse([6 * k, 0, 70 * k, 64 * k], fill=255)
    halo = halo.filter(ImageFilter.GaussianBlur(4 * k))
    img.paste(Image.new("RGB", (w, h), (243, 247, 251)), mask=halo)
    c = Canvas(76, 64, k)
    emblem(c, 38, 32, 27, dial=True)
    em = c.result()
    img.paste(em, (0, 0), em)
    d.rectangle([0, h - k, w, h - 1], fill=(196, 209, 226))
    return img


def draw_logo(k):
    """The emblem as a lit, slightly domed disc on a studio backdrop."""
    w, h = 75, 61
    f = k * SS
    W, H = w * f, h * f
    cx, cy, r = 37.5 * f, 28.5 * f, 24.5 * f

    back = Image.new("RGB", (W, H))
    px = back.load()
    dark, light = (34, 48, 70), (146, 170, 200)
    for y in range(H):
        for x in range(W):
            dx, dy = (x - W * 0.42) / W, (y - H * 0.30) / H
            t = max(0.0, 1.0 - math.sqrt(dx * dx * 1.6 + dy * dy) * 1.45)
            px[x, y] = tuple(round(a + (b - a) * t) for a, b in zip(dark, light))

    shadow = Image.new("L", (W, H), 0)
    ImageDraw.Draw(shadow).ellipse(
        [cx - r * 0.92, cy + r * 0.62, cx + r * 1.04, cy + r * 1.12], fill=150)
    shadow = shadow.filter(ImageFilter.GaussianBlur(3 * f))
    back.paste((10, 14, 22), mask=shadow)

    c = Canvas(w, h, k)
    emblem(c, 37.5, 28.5, 24.5, dial=True)
    flat = c.img.load()
    lit = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    out = lit.load()
    lx, ly, lz = -0.45, -0.6, 0.66
    norm = math.sqrt(lx * lx + ly * ly + lz * lz)
    lx, ly, lz = lx / norm, ly / norm, lz / norm
    hx, hy, hz = lx, ly, lz + 1
    hn = math.sqrt(hx * hx + hy * hy + hz * hz)
    hx, hy, hz = hx / hn, hy / hn, hz / hn
    for y in range(H):
        for x in range(W):
            r0, g0, b0, a0 = flat[x, y]
            if not a0:
                continue
            nx, ny = (x + 0.5 - cx) / r, (y + 0.5 - cy) / r
            d2 = min(1.0, nx * nx + ny * ny)
            nz = math.sqrt(max(0.0, 1.0 - d2 * 0.85))
            nn = math.sqrt(nx * nx * 0.35 + ny * ny * 0.35 + nz * nz)
            ux, uy, uz = nx * 0.6 / nn, ny * 0.6 / nn, nz / nn
            diffuse = max(0.0, ux * lx + uy * ly + uz * lz)
            gloss = max(0.0, ux * hx + uy * hy + uz * hz) ** 60
            shade = 0.55 + 0.65 * diffuse
            rim = max(0.0, math.sqrt(d2) - 0.9) * 2.5
            out[x, y] = tuple(
                min(255, round(v * shade + 255 * (gloss * 0.85) + 60 * rim))
                for v in (r0, g0, b0)) + (a0,)
    back = back.convert("RGBA")
    back.alpha_composite(lit)
    return back.resize((w * k, h * k), Image.BOX).convert("RGB")


# The hand cursor, drawn by hand: '#' black, '-' white, '.' clear.
# The index fingertip is at column 6, row 0: the hot spot.
HAND = """
.....###
....#---#
....#---#
....#---#
....#---#
....#---#
....#---###
....#---#--###
....#---#--#--###
....#---#--#--#--#
###.#---#--#--#--#
#--##------------#
#---#------------#
.#--#------------#
.#---------------#
..#--------------#
..#--------------#
...#------------#
...#------------#
....#----------#
....#----------#
....############
"""
HAND_HOTSPOT = (6, 0)


def draw_link_cursor():
    img = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    px = img.load()
    for y, row in enumerate(HAND.strip("\n").splitlines()):
        for x, ch in enumerate(row):
            if ch == "#":
                px[x, y] = (0, 0, 0, 255)
            elif ch == "-":
                px[x, y] = (255, 255, 255, 255)
    return img


# file, drawing, pixel sizes of its images at 1x, bits per pixel (icons)
PICTURES = [
    ("app.ico", draw_app, [(16, 16)], 8),
    ("pair.ico", draw_pair, [(16, 16)], 32),
    ("close.ico", draw_close, [(16, 16)], 32),
    ("erase.ico", draw_erase, [(28, 24)], 32),
    ("notepad.gif", draw_notepad, [(16, 16)], None),
    ("area.gif", draw_area, [(35, 35)], None),
    ("length.gif", draw_length, [(44, 44)], None),
    ("weight.gif", draw_weight, [(40, 40)], None),
    ("temperature.gif", draw_temperature, [(40, 40)], None),
    ("volume.gif", draw_volume, [(48, 48)], None),
    ("banner.jpg", draw_banner, [(800, 64)], None),
    ("minimize.ico", draw_minimize, [(16, 16)], 32),
    ("exit.ico", draw_exit, [(16, 16)], 32),
    ("donate.gif", draw_donate, [(121, 43)], None),
    ("donate_small.gif", draw_donate_small, [(60, 21)], None),
    ("logo.jpg", draw_logo, [(75, 61)], None),
    ("about.ico", draw_about, [(32, 32), (16, 16)], 32),
    ("feedback.ico", draw_feedback, [(48, 48), (32, 32), (24, 24), (16, 16)], 32),
    ("contact.ico", draw_contact, [(30, 30)], 32),
    ("review.ico", draw_review, [(30, 30)], 32),
    ("friend.ico", draw_friend, [(30, 30)], 32),
    ("note.ico", draw_note, [(14, 14)], 32),
]
CURSOR = "link.cur"


# The application's icon for the desktop's menus and docks, in the hicolor
# theme's sizes and as a scalable drawing.  From 64 px up it is the dial emblem
# of the banner; smaller sizes keep the plain emblem, whose ticks would blur.
# The files are named after the program; the install names them after its app id.
ICON_NAME = "mensurio"
THEME_DIR = os.path.join(HERE, "icons", "hicolor")
THEME_SIZES = [16, 24, 32, 48, 64, 128, 256]


def theme_png(size):
    return os.path.join(THEME_DIR, f"{size}x{size}", "apps", f"{ICON_NAME}.png")


def theme_svg():
    return os.path.join(THEME_DIR, "scalable", "apps", f"{ICON_NAME}.svg")


def draw_theme_icon(size):
    c = Canvas(size, size)
    if size >= 64:
        emblem(c, size / 2, size / 2, size / 2, dial=True)
    else:
        emblem(c, size / 2, size / 2, size / 2, ring=size / 16)
    return c.result(crisp=size == 16)


def emblem_svg(r=128):
    """The dial emblem of emblem() as SVG, on a 2r square."""
    def pt(x, y):
        return f"{x:.2f},{y:.2f}"
    cx = cy = r
    ticks = []
    for i in range(36):
        a = 2 * math.pi * i / 36
        major = i % 9 == 0
        r0 = r * (0.96 if major else 0.93)
        r1 = r * (0.80 if major else 0.86)
        half = r * (0.04 if major else 0.018)
        ca, sa = math.cos(a), math.sin(a)
        corners = [(r0, half), (r0, -half), (r1, -half), (r1, half)]
        ticks.append("M" + " L".join(
            pt(cx + rr * ca - hh * sa, cy + rr * sa + hh * ca)
            for rr, hh in corners) + " Z")
    band = r * (0.80 + 0.73) / 2
    ri = r * 0.68
    yellow = "#%02x%02x%02x" % YELLOW
    black = "#%02x%02x%02x" % BLACK
    return "\n".join([
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{2 * r}" '
        f'height="{2 * r}" viewBox="0 0 {2 * r} {2 * r}">',
        f'  <circle cx="{cx}" cy="{cy}" r="{r}" fill="{black}"/>',
        f'  <path fill="{yellow}" d="{" ".join(ticks)}"/>',
        f'  <circle cx="{cx}" cy="{cy}" r="{band:.2f}" fill="none" '
        f'stroke="{yellow}" stroke-width="{r * 0.07:.2f}"/>',
        f'  <path fill="{yellow}" d="M{pt(cx, cy)} L{pt(cx - ri, cy)} '
        f'A{ri:.2f},{ri:.2f} 0 0 1 {pt(cx, cy - ri)} Z '
        f'M{pt(cx, cy)} L{pt(cx + ri, cy)} '
        f'A{ri:.2f},{ri:.2f} 0 0 1 {pt(cx, cy + ri)} Z"/>',
        "</svg>", ""])


def draw_theme():
    for size in THEME_SIZES:
        path = theme_png(size)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        draw_theme_icon(size).save(path, optimize=True)
    os.makedirs(os.path.dirname(theme_svg()), exist_ok=True)
    with open(theme_svg(), "w", encoding="utf-8") as fh:
        fh.write(emblem_svg())


def check_theme():
    problems = []
    for size in THEME_SIZES:
        im = Image.open(theme_png(size))
        print(f"{os.path.relpath(theme_png(size), HERE):50} {im.format} "
              f"{im.width}x{im.height}")
        if (im.format, im.size, im.mode) != ("PNG", (size, size), "RGBA"):
            problems.append(f"{theme_png(size)}: {im.format} {im.size} {im.mode}")
    return problems


def hidpi_name(name):
    stem, ext = os.path.splitext(name)
    return f"{stem}@2x{ext}"


def variants():
    """(file name, scale, drawing, expected sizes, bpp) for every picture
    and its @2x twin."""
    for name, draw, sizes, bpp in PICTURES:
        for k, fname in ((1, name), (2, hidpi_name(name))):
            yield fname, k, draw, [(w * k, h * k) for w, h in sizes], bpp


def draw_all():
    os.makedirs(OUT_DIR, exist_ok=True)
    for fname, k, draw, _, bpp in variants():
        path = os.path.join(OUT_DIR, fname)
        picture = draw(k)
        if fname.endswith(".ico"):
            write_icon(path, picture, bpp=bpp)
        elif fname.endswith(".gif"):
            write_gif(path, picture)
        else:
            write_jpeg(path, picture)
    write_icon(os.path.join(OUT_DIR, CURSOR), [draw_link_cursor()],
               bpp=1, hotspot=HAND_HOTSPOT)
    draw_theme()


# --------------------------------------------------------------------------
# Checking what was written.
# --------------------------------------------------------------------------
def icon_directory(path):
    """(width, height, bits per pixel) of each image listed in an .ico."""
    with open(path, "rb") as fh:
        data = fh.read()
    count = struct.unpack_from("<H", data, 4)[0]
    out = []
    for i in range(count):
        w, h, _, _, _, bpp, _, _ = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        out.append((w or 256, h or 256, bpp))
    return out


def read_cursor(path):
    """Decode a one-image, two-colour .cur the way the system does: returns
    the hot spot and the picture with its AND mask applied."""
    with open(path, "rb") as fh:
        data = fh.read()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    w, h, _, _, hx, hy, _, offset = struct.unpack_from("<BBBBHHII", data, 6)
    size, bw, bh, _, bpp = struct.unpack_from("<IiiHH", data, offset)
    if (kind, count, size, bw, bh, bpp) != (2, 1, 40, w, 2 * h, 1):
        raise ValueError(f"{path}: not a two-colour cursor")
    colours = [tuple(data[offset + 40 + 4 * i + j] for j in (2, 1, 0))
               for i in range(2)]
    stride = (w + 31) // 32 * 4
    xor_at = offset + 48
    and_at = xor_at + stride * h
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    for y in range(h):
        row = (h - 1 - y) * stride  # bitmaps are stored bottom-up
        for x in range(w):
            bit = 0x80 >> (x % 8)
            if not data[and_at + row + x // 8] & bit:
                on = bool(data[xor_at + row + x // 8] & bit)
                img.putpixel((x, y), colours[on] + (255,))
    return (hx, hy), img


def frames(path):
    """Every image in a file, as RGBA, in the order stored."""
    if path.endswith(".cur"):
        return [read_cursor(path)[1]]
    im = Image.open(path)
    if im.format == "ICO":
        return [im.ico.frame(i).convert("RGBA")
                for i in range(len(im.ico.entry))]
    return [im.convert("RGBA")]


def check():
    """Read every file back and compare it with what it should be; prints a
    line per file and returns the problems found."""
    problems = []
    kinds = {".ico": "ICO", ".gif": "GIF", ".jpg": "JPEG"}
    for fname, _, _, sizes, bpp in variants():
        path = os.path.join(OUT_DIR, fname)
        fmt = Image.open(path).format
        got = [f.size for f in frames(path)]
        print(f"{fname:22} {fmt:5} {' '.join('%dx%d' % s for s in got)}")
        if fmt != kinds[os.path.splitext(fname)[1]]:
            problems.append(f"{fname}: reads back as {fmt}")
        if got != sizes:
            problems.append(f"{fname}: sizes {got}, wanted {sizes}")
        if fmt == "ICO":
            depths = {d[2] for d in icon_directory(path)}
            if depths != {bpp}:
                problems.append(f"{fname}: {depths} bits per pixel, wanted {bpp}")
        if fmt == "GIF" and "transparency" not in Image.open(path).info:
            problems.append(f"{fname}: has no transparent colour")

    hotspot, hand = read_cursor(os.path.join(OUT_DIR, CURSOR))
    print(f"{CURSOR:22} CUR   {hand.width}x{hand.height} hot spot {hotspot}")
    if hotspot != HAND_HOTSPOT:
        problems.append(f"{CURSOR}: hot spot {hotspot}, wanted {HAND_HOTSPOT}")
    if hand.tobytes() != draw_link_cursor().tobytes():
        problems.append(f"{CURSOR}: decodes to a different picture")

    problems += check_theme()

    names = [v[0] for v in variants()] + [CURSOR]
    try:
        with open(QRC, encoding="utf-8") as fh:
            listed = fh.read()
        problems += [f"resources.qrc does not list {n}" for n in names
                     if f'alias="{n}">images/{n}<' not in listed]
    except FileNotFoundError:
        problems.append("resources.qrc is missing")
    return problems


def contact_sheet(path, zoom=4):
    """All pictures enlarged without smoothing, labelled, on light grey."""
    font = ImageFont.truetype(FONT_BOLD, 12)
    tiles = []
    for fname in [v[0] for v in variants()] + [CURSOR]:
        imgs = frames(os.path.join(OUT_DIR, fname))
        zoomed = [f.resize((f.width * zoom, f.height * zoom), Image.NEAREST)
                  for f in imgs]
        w = sum(z.width for z in zoomed) + 8 * (len(zoomed) - 1)
        h = max(z.height for z in zoomed)
        tiles.append((fname, zoomed, w, h))
    wrap = 1800  # the banners are wider and get rows of their own
    x = y = 10
    row_h = 0
    placed = []
    for fname, zoomed, w, h in tiles:
        w = max(w, 150)
        if x > 10 and x + w > wrap - 10:
            x, y = 10, y + row_h + 30
            row_h = 0
        placed.append((fname, zoomed, x, y))
        x += w + 20
        row_h = max(row_h, h)
    width = max(wrap, max(t[2] for t in tiles) + 20)
    sheet = Image.new("RGBA", (width, y + row_h + 40), (214, 214, 218, 255))
    d = ImageDraw.Draw(sheet)
    for fname, zoomed, x, y in placed:
        d.text((x, y), fname, font=font, fill=(30, 30, 30))
        zx = x
        for z in zoomed:
            sheet.alpha_composite(z, (zx, y + 16))
            zx += z.width + 8
    sheet.convert("RGB").save(path)
    print("contact sheet:", path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--sheet", metavar="PNG",
                        help="also write an enlarged overview of every picture")
    args = parser.parse_args()
    draw_all()
    problems = check()
    if args.sheet:
        contact_sheet(args.sheet)
    for p in problems:
        print("problem:", p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
