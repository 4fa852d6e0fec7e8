#!/usr/bin/env python3
"""Draws Runemount's icons and images into resources/.

Run from the repository root:  /usr/bin/python3 tools/draw_pictures.py

Everything is drawn at SS times the final size and scaled down with
LANCZOS, which gives clean anti-aliased edges.  Shapes are built as binary
masks so outlines and insets can be made by growing or shrinking a mask.
The output has no timestamps or text chunks, so re-running the script
gives identical files.
"""

import math
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SS = 4  # supersampling factor

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), os.pardir))
ICONS = os.path.join(ROOT, "resources", "icons")
IMAGES = os.path.join(ROOT, "resources", "img")

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SERIF_BOLD = os.path.join(FONT_DIR, "DejaVuSerif-Bold.ttf")
SANS_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")

OUTLINE = (24, 18, 16, 255)


# --------------------------------------------------------------------------
# Generic helpers
# --------------------------------------------------------------------------

def new_mask(size):
    return Image.new("L", size, 0)


def new_layer(size):
    return Image.new("RGBA", size, (0, 0, 0, 0))


def scaled(points, k, dx=0.0, dy=0.0):
    """Design coordinates -> canvas pixels."""
    return [((x + dx) * k, (y + dy) * k) for x, y in points]


def rotated(points, degrees, cx, cy):
    a = math.radians(degrees)
    ca, sa = math.cos(a), math.sin(a)
    return [(cx + (x - cx) * ca - (y - cy) * sa,
             cy + (x - cx) * sa + (y - cy) * ca) for x, y in points]


def bezier(p0, p1, p2, steps=24):
    """Quadratic Bezier, end points included."""
    out = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        out.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                    u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    return out


def polygon_mask(size, points):
    m = new_mask(size)
    ImageDraw.Draw(m).polygon(points, fill=255)
    return m


def _disk_offsets(r):
    r = int(round(r))
    return [(dx, dy) for dy in range(-r, r + 1) for dx in range(-r, r + 1)
            if dx * dx + dy * dy <= r * r + r]


def grow(mask, r):
    """Dilate a mask by a disk of radius r pixels (round corners)."""
    if r <= 0:
        return mask.copy()
    out = new_mask(mask.size)
    for dx, dy in _disk_offsets(r):
        shifted = new_mask(mask.size)
        shifted.paste(mask, (dx, dy))
        out = ImageChops.lighter(out, shifted)
    return out


def shrink(mask, r):
    """Erode a mask by a disk of radius r pixels."""
    if r <= 0:
        return mask.copy()
    inv = ImageChops.invert(mask)
    # Pad so that the canvas border counts as "outside".
    pad = int(r) + 2
    big = Image.new("L", (mask.width + 2 * pad, mask.height + 2 * pad), 255)
    big.paste(inv, (pad, pad))
    big = grow(big, r)
    return ImageChops.invert(big.crop((pad, pad, pad + mask.width,
                                       pad + mask.height)))


def gradient(size, c1, c2, angle=90.0):
    """Linear gradient from c1 to c2 across the whole image; angle 90 = top
    to bottom, 45 = top-left to bottom-right."""
    w, h = size
    a = math.radians(angle)
    # Length of the image's shadow on the gradient direction: the ramp must
    # run over exactly this span so both end colours are reached.
    span = abs(w * math.cos(a)) + abs(h * math.sin(a))
    diag = int(math.ceil(math.hypot(w, h))) + 2
    start = (diag - span) / 2
    column = [max(0, min(255, int(round(255 * (y - start) / span))))
              for y in range(diag)]
    ramp = Image.new("L", (1, diag))
    ramp.putdata(column)
    ramp = ramp.resize((diag, diag), Image.NEAREST)
    ramp = ramp.rotate(90 - angle, resample=Image.BILINEAR)
    left = (diag - w) // 2
    top = (diag - h) // 2
    ramp = ramp.crop((left, top, left + w, top + h))
    return Image.composite(Image.new("RGBA", size, c2),
                           Image.new("RGBA", size, c1), ramp)


def paint(canvas, mask, fill):
    """Composite a colour or an RGBA image onto canvas through mask."""
    if isinstance(fill, tuple):
        fill = Image.new("RGBA", canvas.size, fill)
    layer = new_layer(canvas.size)
    layer.paste(fill, (0, 0), mask)
    canvas.alpha_composite(layer)


def mask_and(a, b):
    return ImageChops.multiply(a, b)


def mask_minus(a, b):
    return ImageChops.subtract(a, b)


def finish(canvas, size):
    return canvas.resize(size, Image.LANCZOS)


def save_png(img, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    # No pnginfo is passed, so the file holds no text or time chunks.
    img.save(path, "PNG", optimize=True)
    print("wrote", os.path.relpath(path, ROOT), "%dx%d" % img.size)


# --------------------------------------------------------------------------
# Game launch buttons (64x64 design units)
# --------------------------------------------------------------------------

def shield_points(k):
    """Heater shield with slightly rounded top corners, 64 unit design."""
    left, right, top, bottom, cx = 7.0, 57.0, 5.0, 61.0, 32.0
    pts = []
    pts += bezier((left, top + 6), (left, top), (left + 6, top), 6)
    # Top edge rises a little to the middle, which reads as a crest.
    pts += bezier((left + 6, top), (cx, top - 3), (right - 6, top), 12)[1:]
    pts += bezier((right - 6, top), (right, top), (right, top + 6), 6)[1:]
    pts += [(right, 30.0)]
    pts += bezier((right, 30.0), (right, 50.0), (cx, bottom), 20)[1:]
    pts += bezier((cx, bottom), (left, 50.0), (left, 30.0), 20)[1:]
    return scaled(pts, k)


def roman_three_mask(size, k):
    """Three columns joined by top and bottom bars: a "III" that survives
    being shown at 32x32."""
    m = new_mask(size)
    d = ImageDraw.Draw(m)
    bar_w, gap = 6.0, 3.6
    total = 3 * bar_w + 2 * gap
    x0 = 32 - total / 2
    top, bottom = 17.0, 43.0
    serif = 3.6
    d.rectangle([(x0 - 2.5) * k, top * k, (x0 + total + 2.5) * k,
                 (top + serif) * k], fill=255)
    d.rectangle([(x0 - 2.5) * k, (bottom - serif) * k,
                 (x0 + total + 2.5) * k, bottom * k], fill=255)
    for i in range(3):
        x = x0 + i * (bar_w + gap)
        d.rectangle([x * k, top * k, (x + bar_w) * k, bottom * k], fill=255)
    return m


def draw_game_shield(scheme):
    """The launch button: a shield in the given colour scheme, carrying a
    bold "III"."""
    px = 64 * SS
    size = (px, px)
    k = SS
    canvas = new_layer(size)

    shield = polygon_mask(size, shield_points(k))
    rim = shrink(shield, 2.2 * k)
    field = shrink(rim, 3.6 * k)

    paint(canvas, shield, OUTLINE)
    paint(canvas, rim, gradient(size, scheme["rim_light"], scheme["rim_dark"], 60))
    # Thin dark line between rim and field gives the rim some depth.
    paint(canvas, field, scheme["field_edge"])
    inner = shrink(field, 0.9 * k)
    paint(canvas, inner, gradient(size, scheme["field_light"],
                                  scheme["field_dark"], 70))

    # Soft sheen on the upper left half of the field.
    sheen = polygon_mask(size, scaled([(0, 0), (64, 0), (0, 40)], k))
    sheen = mask_and(sheen, inner)
    paint(canvas, sheen, scheme["sheen"])

    emblem = roman_three_mask(size, k)
    paint(canvas, grow(emblem, 1.6 * k), OUTLINE)
    paint(canvas, emblem, gradient(size, scheme["emblem_light"],
                                   scheme["emblem_dark"], 90))
    # Light top edge on each emblem part, like a bevel.
    bevel = mask_minus(emblem, ImageChops.offset(emblem, 0, int(1.2 * k)))
    paint(canvas, bevel, scheme["emblem_bevel"])

    return canvas


CLASSIC = {
    "rim_light": (228, 232, 238, 255),
    "rim_dark": (112, 118, 130, 255),
    "field_edge": (70, 14, 12, 255),
    "field_light": (222, 52, 38, 255),
    "field_dark": (120, 14, 14, 255),
    "sheen": (255, 255, 255, 34),
    "emblem_light": (255, 226, 120, 255),
    "emblem_dark": (206, 140, 30, 255),
    "emblem_bevel": (255, 250, 215, 200),
}

EXPANSION = {
    "rim_light": (240, 252, 255, 255),
    "rim_dark": (120, 170, 200, 255),
    "field_edge": (8, 30, 70, 255),
    "field_light": (70, 160, 235, 255),
    "field_dark": (16, 44, 120, 255),
    "sheen": (255, 255, 255, 40),
    "emblem_light": (255, 255, 255, 255),
    "emblem_dark": (170, 220, 250, 255),
    "emblem_bevel": (255, 255, 255, 220),
}


# --------------------------------------------------------------------------
# World editor button
# --------------------------------------------------------------------------

def draw_world_editor():
    """A hammer lying across a small tile map."""
    px = 64 * SS
    size = (px, px)
    k = SS
    canvas = new_layer(size)

    # Map: 3x3 terrain tiles in plain colours that survive 32x32.
    x0, y0, cell, gap = 5.0, 19.0, 12.0, 2.0
    span = 3 * cell + 4 * gap
    board = new_mask(size)
    ImageDraw.Draw(board).rounded_rectangle(
        [x0 * k, y0 * k, (x0 + span) * k, (y0 + span) * k],
        radius=3 * k, fill=255)
    paint(canvas, grow(board, 1.4 * k), OUTLINE)
    paint(canvas, board, (92, 66, 40, 255))

    grass = (108, 178, 62, 255)
    forest = (46, 120, 50, 255)
    water = (56, 140, 214, 255)
    sand = (226, 196, 120, 255)
    terrain = [
        [grass, forest, forest],
        [water, grass, forest],
        [water, sand, grass],
    ]
    for row in range(3):
        for col in range(3):
            cx = x0 + gap + col * (cell + gap)
            cy = y0 + gap + row * (cell + gap)
            tile = new_mask(size)
            ImageDraw.Draw(tile).rounded_rectangle(
                [cx * k, cy * k, (cx + cell) * k, (cy + cell) * k],
                radius=1.2 * k, fill=255)
            colour = terrain[row][col]
            lighter = tuple(min(255, int(c * 1.22)) for c in colour[:3]) + (255,)
            paint(canvas, tile, gradient(size, lighter, colour, 60))

    # Hammer, built upright around (0, 0) then turned and moved into place.
    head = [(-13, -6), (13, -6), (13, 6), (-13, 6)]
    face_l = [(-16, -7.5), (-12, -7.5), (-12, 7.5), (-16, 7.5)]
    face_r = [(12, -7.5), (16, -7.5), (16, 7.5), (12, 7.5)]
    handle = [(-3, 5), (3, 5), (2.6, 36), (-2.6, 36)]
    grip = [(-3.4, 27), (3.4, 27), (3.2, 37), (-3.2, 37)]
    angle, hx, hy = 40.0, 42.0, 17.0

    def place(pts):
        return scaled(rotated(pts, angle, 0, 0), k, hx, hy)

    hammer = new_mask(size)
    hd = ImageDraw.Draw(hammer)
    for part in (head, face_l, face_r, handle, grip):
        hd.polygon(place(part), fill=255)
    paint(canvas, grow(hammer, 1.7 * k), OUTLINE)

    def part_mask(pts):
        return polygon_mask(size, place(pts))

    paint(canvas, part_mask(handle), gradient(size, (214, 150, 86, 255),
                                               (130, 76, 36, 255), 0))
    paint(canvas, part_mask(grip), (88, 44, 30, 255))
    steel = gradient(size, (246, 248, 252, 255), (120, 128, 140, 255), 100)
    paint(canvas, part_mask(head), steel)
    darker = gradient(size, (200, 206, 214, 255), (86, 92, 104, 255), 100)
    paint(canvas, part_mask(face_l), darker)
    paint(canvas, part_mask(face_r), darker)
    # Band where the handle enters the head.
    band = [(-3.6, -6.6), (3.6, -6.6), (3.6, 6.6), (-3.6, 6.6)]
    paint(canvas, part_mask(band), (70, 74, 84, 255))
    return canvas


# --------------------------------------------------------------------------
# "Mod active" badge, shared by all launch buttons
# --------------------------------------------------------------------------

BADGE_CENTRE = (50.5, 50.5)
BADGE_RADIUS = 12.5


def add_mod_badge(canvas):
    """A green disc with a white plus at the bottom right.  A transparent
    ring is cut around it so it stays separate from whatever is below."""
    k = SS
    size = canvas.size
    cx, cy = BADGE_CENTRE
    r = BADGE_RADIUS

    def disc(radius):
        m = new_mask(size)
        ImageDraw.Draw(m).ellipse([(cx - radius) * k, (cy - radius) * k,
                                   (cx + radius) * k, (cy + radius) * k],
                                  fill=255)
        return m

    out = canvas.copy()
    cut = disc(r + 2.2)
    alpha = out.getchannel("A")
    out.putalpha(mask_minus(alpha, cut))

    paint(out, disc(r), (12, 52, 18, 255))
    paint(out, disc(r - 1.8), gradient(size, (120, 224, 96, 255),
                                       (24, 140, 44, 255), 80))
    plus = new_mask(size)
    d = ImageDraw.Draw(plus)
    arm, thick = 7.0, 2.6
    d.rectangle([(cx - arm) * k, (cy - thick) * k, (cx + arm) * k,
                 (cy + thick) * k], fill=255)
    d.rectangle([(cx - thick) * k, (cy - arm) * k, (cx + thick) * k,
                 (cy + arm) * k], fill=255)
    paint(out, grow(plus, 0.9 * k), (10, 80, 24, 150))
    paint(out, plus, (255, 255, 255, 255))
    return out


# --------------------------------------------------------------------------
# Warning sign (32x32, shown at 16x16)
# --------------------------------------------------------------------------

def draw_warning():
    k = SS
    size = (32 * k, 32 * k)
    canvas = new_layer(size)
    tri = [(16.0, 3.2), (29.6, 27.6), (2.4, 27.6)]

    def rounded_triangle(pts, r):
        m = polygon_mask(size, scaled(pts, k))
        d = ImageDraw.Draw(m)
        p = scaled(pts, k)
        d.line(p + [p[0]], fill=255, width=int(2 * r * k), joint="curve")
        for x, y in p:
            d.ellipse([x - r * k, y - r * k, x + r * k, y + r * k], fill=255)
        return m

    outer = rounded_triangle(tri, 2.6)
    inner = shrink(outer, 2.0 * k)
    paint(canvas, outer, (60, 30, 0, 255))
    paint(canvas, inner, gradient(size, (255, 228, 60, 255),
                                  (250, 150, 10, 255), 90))

    mark = new_mask(size)
    d = ImageDraw.Draw(mark)
    d.rounded_rectangle([14.2 * k, 10.5 * k, 17.8 * k, 20.0 * k],
                        radius=1.4 * k, fill=255)
    d.ellipse([14.1 * k, 21.4 * k, 17.9 * k, 25.2 * k], fill=255)
    paint(canvas, mark, (40, 20, 0, 255))
    return canvas


# --------------------------------------------------------------------------
# Application icon: a mountain carrying a glowing rune
# --------------------------------------------------------------------------

def draw_app_icon(px, bold=False):
    """Draws at px*SS on a 256 unit design grid.  Small sizes use the bold
    variant: thicker rune, no background peaks, so 16x16 stays readable."""
    k = px * SS / 256.0
    size = (int(px * SS), int(px * SS))
    canvas = new_layer(size)

    plate = new_mask(size)
    ImageDraw.Draw(plate).rounded_rectangle(
        [6 * k, 6 * k, 250 * k, 250 * k], radius=52 * k, fill=255)
    paint(canvas, plate, (20, 16, 40, 255))
    sky = shrink(plate, 7 * k)
    paint(canvas, sky, gradient(size, (74, 64, 150, 255),
                                (18, 20, 50, 255), 90))
    if not bold:
        stars = new_mask(size)
        d = ImageDraw.Draw(stars)
        for x, y, r in ((52, 50, 3.2), (80, 30, 2.2), (196, 44, 3.4),
                        (216, 78, 2.2), (40, 92, 2.0), (176, 24, 2.0)):
            d.ellipse([(x - r) * k, (y - r) * k, (x + r) * k, (y + r) * k],
                      fill=255)
        paint(canvas, stars, (230, 236, 255, 200))

    scene = new_layer(size)
    if not bold:
        back = [(-10, 214), (62, 112), (100, 160), (168, 96), (266, 214)]
        paint(scene, polygon_mask(size, scaled(back, k)),
              gradient(size, (104, 104, 170, 255), (50, 50, 100, 255), 90))
    peak_x, peak_y = 128.0, 40.0
    mountain = [(-10, 256), (peak_x, peak_y), (266, 256)]
    mountain_mask = polygon_mask(size, scaled(mountain, k))
    paint(scene, mountain_mask, gradient(size, (184, 190, 222, 255),
                                         (82, 86, 128, 255), 90))
    # Shadowed right flank makes the mountain read as a solid.
    shade = polygon_mask(size, scaled([(peak_x, peak_y), (266, 256),
                                       (150, 256)], k))
    paint(scene, mask_and(shade, mountain_mask), (24, 20, 60, 120))
    # Snow cap with a jagged lower edge.
    snow = [(peak_x, peak_y), (163, 94), (150, 86), (140, 100), (128, 84),
            (115, 100), (106, 86), (93, 94)]
    if bold:
        snow = [(peak_x, peak_y), (160, 90), (140, 80), (128, 94),
                (116, 80), (96, 90)]
    paint(scene, mask_and(polygon_mask(size, scaled(snow, k)), mountain_mask),
          gradient(size, (255, 255, 255, 255), (200, 214, 236, 255), 90))

    scene.putalpha(mask_and(scene.getchannel("A"), sky))
    canvas.alpha_composite(scene)

    # The rune: a stave with an upward chevron and a cross stroke, like an
    # arrow pointing at the summit.
    w = (17 if bold else 12) * k
    top, bottom = (108, 222) if bold else (114, 214)
    rune = new_mask(size)
    d = ImageDraw.Draw(rune)
    cx = 128 * k
    d.line([(cx, top * k), (cx, bottom * k)], fill=255, width=int(w))
    spread, drop = (30, 34) if bold else (28, 32)
    d.line([((128 - spread) * k, (top + drop) * k), (cx, top * k),
            ((128 + spread) * k, (top + drop) * k)],
           fill=255, width=int(w), joint="curve")
    if not bold:
        d.line([((128 - 18) * k, 186 * k), ((128 + 18) * k, 172 * k)],
               fill=255, width=int(w))
    for x, y in ((128 - spread, top + drop), (128 + spread, top + drop),
                 (128, top), (128, bottom)):
        d.ellipse([x * k - w / 2, y * k - w / 2, x * k + w / 2, y * k + w / 2],
                  fill=255)

    glow = rune.filter(ImageFilter.GaussianBlur(14 * k))
    glow = glow.point(lambda v: min(255, v * 2))
    paint(canvas, mask_and(glow, sky), (80, 230, 255, 255))
    paint(canvas, grow(rune, 2.5 * k), (40, 170, 230, 255))
    paint(canvas, rune, (220, 252, 255, 255))
    return finish(canvas, (px, px))


# --------------------------------------------------------------------------
# About dialog images
# --------------------------------------------------------------------------

def draw_logo():
    """The word "Runemount" in gold with a dark outline, preceded by the
    same rune as the application icon.  Fits in 300x41."""
    k = SS
    height = 41
    font = ImageFont.truetype(SERIF_BOLD, int(29 * k))
    text = "Runemount"
    probe = ImageDraw.Draw(new_mask((1, 1)))
    l, t, r, b = probe.textbbox((0, 0), text, font=font)

    rune_w = 24
    text_x = rune_w + 6
    width = int(math.ceil(text_x + (r - l) / k + 4))
    size = (width * k, height * k)
    canvas = new_layer(size)

    # Baseline chosen so the letters sit low in the label.
    text_mask = new_mask(size)
    ty = (height - 5) * k - b
    ImageDraw.Draw(text_mask).text((text_x * k - l, ty), text, font=font,
                                   fill=255)
    paint(canvas, grow(text_mask, 2.2 * k), (40, 22, 8, 255))
    ink_top = (ty + t) / k
    # The gradient spans the letters only, so all of it is visible.
    ink = (int(ty + t), int(ty + b))
    gold = new_layer(size)
    gold.paste(gradient((size[0], ink[1] - ink[0]), (255, 240, 160, 255),
                        (170, 96, 22, 255), 90), (0, ink[0]))
    paint(canvas, text_mask, gold)
    bright = mask_minus(text_mask, ImageChops.offset(text_mask, 0, int(1.2 * k)))
    paint(canvas, bright, (255, 252, 220, 170))

    # Rune mark in a small diamond to the left of the word.
    cx, cy = 12.0, (ink_top + height - 5) / 2.0
    diamond = [(cx, cy - 14), (cx + 11, cy), (cx, cy + 14), (cx - 11, cy)]
    dm = polygon_mask(size, scaled(diamond, k))
    paint(canvas, grow(dm, 1.6 * k), (40, 22, 8, 255))
    paint(canvas, dm, gradient(size, (250, 220, 130, 255),
                               (160, 90, 20, 255), 90))
    rune = new_mask(size)
    d = ImageDraw.Draw(rune)
    w = int(2.6 * k)
    d.line([(cx * k, (cy - 8) * k), (cx * k, (cy + 8) * k)], fill=255, width=w)
    d.line([((cx - 5) * k, (cy - 3) * k), (cx * k, (cy - 8) * k),
            ((cx + 5) * k, (cy - 3) * k)], fill=255, width=w, joint="curve")
    paint(canvas, rune, (52, 28, 8, 255))
    return finish(canvas, (width, height))


def draw_version_badge(text="v1.0"):
    """A bronze pill.  The text is drawn at final size so FreeType can
    hint it; supersampled small text comes out blurry."""
    width, height = 40, 18
    k = SS
    size = (width * k, height * k)
    pill = new_layer(size)
    outer = new_mask(size)
    ImageDraw.Draw(outer).rounded_rectangle(
        [0, 0, size[0] - 1, size[1] - 1], radius=height * k // 2, fill=255)
    paint(pill, outer, (60, 34, 10, 255))
    inner = shrink(outer, 1.2 * k)
    paint(pill, inner, gradient(size, (214, 150, 60, 255),
                                (140, 80, 24, 255), 90))
    img = finish(pill, (width, height))

    font = ImageFont.truetype(SANS_BOLD, 11)
    d = ImageDraw.Draw(img)
    l, t, r, b = d.textbbox((0, 0), text, font=font)
    x = (width - (r - l)) / 2 - l
    y = (height - (b - t)) / 2 - t
    d.text((round(x), round(y) + 1), text, font=font, fill=(60, 30, 6, 160))
    d.text((round(x), round(y)), text, font=font, fill=(255, 250, 232, 255))
    return img


# --------------------------------------------------------------------------

def main():
    for font in (SERIF_BOLD, SANS_BOLD):
        if not os.path.exists(font):
            sys.exit("missing font: " + font)

    icon = (64, 64)
    classic = draw_game_shield(CLASSIC)
    expansion = draw_game_shield(EXPANSION)
    editor = draw_world_editor()
    for name, art in (("war3", classic), ("war3x", expansion),
                      ("worldedit", editor)):
        save_png(finish(art, icon), os.path.join(ICONS, name + ".png"))
        save_png(finish(add_mod_badge(art), icon),
                 os.path.join(ICONS, name + "_mod.png"))

    save_png(finish(draw_warning(), (32, 32)),
             os.path.join(ICONS, "warning.png"))

    sizes = [16, 24, 32, 48, 64, 128, 256]
    frames = {s: draw_app_icon(s, bold=s <= 32) for s in sizes}
    ico_path = os.path.join(ICONS, "icon.ico")
    frames[256].save(ico_path, format="ICO",
                     sizes=[(s, s) for s in sizes],
                     append_images=[frames[s] for s in sizes if s != 256])
    print("wrote", os.path.relpath(ico_path, ROOT), "sizes", sizes)

    save_png(draw_logo(), os.path.join(IMAGES, "logo.png"))
    save_png(draw_version_badge(), os.path.join(IMAGES, "version.png"))


if __name__ == "__main__":
    main()
