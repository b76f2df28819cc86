#!/usr/bin/python3
"""Paints the photos of the demo Picture CD: a dozen landscapes made from
nothing but seeded random numbers, so they are ours to ship.

usage: make-photos.py DISC_FOLDER
"""
import math
import os
import random
import sys

from PIL import Image, ImageDraw, ImageFilter

W, H = 1024, 768

# (name, sky top, sky horizon, land colours far to near, sun colour, night)
SCENES = [
    ("Dawn over the lake", (40, 60, 120), (250, 170, 120), [(90, 90, 140), (60, 70, 110), (40, 50, 80)], (255, 220, 160), False),
    ("High meadow", (70, 140, 220), (190, 225, 250), [(130, 160, 190), (90, 150, 90), (60, 120, 50)], (255, 250, 220), False),
    ("Desert evening", (60, 40, 100), (250, 140, 80), [(180, 100, 90), (200, 120, 70), (150, 80, 50)], (255, 200, 120), False),
    ("Autumn valley", (100, 150, 210), (230, 220, 200), [(150, 140, 160), (190, 110, 50), (140, 70, 30)], (255, 245, 210), False),
    ("Moonlit fjord", (5, 10, 35), (40, 60, 110), [(30, 40, 70), (20, 30, 55), (10, 15, 30)], (240, 240, 220), True),
    ("Green hills", (90, 160, 230), (210, 235, 250), [(120, 170, 120), (80, 150, 70), (50, 110, 40)], (255, 255, 230), False),
    ("Snow peaks", (50, 100, 190), (200, 220, 240), [(230, 235, 245), (170, 185, 210), (90, 110, 140)], (255, 255, 255), False),
    ("Purple dusk", (30, 20, 70), (220, 110, 150), [(110, 60, 120), (80, 40, 90), (45, 25, 55)], (255, 190, 170), False),
    ("Coast at noon", (40, 120, 220), (170, 215, 245), [(200, 190, 150), (70, 140, 190), (30, 90, 150)], (255, 255, 240), False),
    ("Starry plain", (2, 5, 20), (30, 35, 80), [(25, 30, 50), (18, 22, 38), (10, 12, 22)], (250, 250, 230), True),
    ("Golden fields", (110, 170, 230), (250, 230, 170), [(160, 170, 140), (220, 180, 80), (190, 140, 50)], (255, 240, 180), False),
    ("Misty forest", (150, 165, 175), (215, 220, 220), [(150, 165, 160), (100, 125, 110), (50, 80, 60)], (250, 250, 240), False),
]


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def sky(draw, top, horizon, horizon_y):
    for y in range(horizon_y + 1):
        draw.line([(0, y), (W, y)], fill=mix(top, horizon, (y / horizon_y) ** 1.4))


def ridge(rng, base, roughness, peaks):
    """A mountain or hill line: a few sine waves plus midpoint noise."""
    waves = [(rng.uniform(0.5, 3.5) * peaks, rng.uniform(0, math.tau), rng.uniform(0.3, 1.0)) for _ in range(3)]
    points = []
    for x in range(0, W + 8, 8):
        y = base
        for freq, phase, amp in waves:
            y -= roughness * amp * math.sin(x / W * freq * math.tau + phase)
        y += rng.uniform(-roughness, roughness) * 0.12
        points.append((x, y))
    return points


def trees(draw, rng, y_line, colour, count, size):
    for _ in range(count):
        x = rng.uniform(0, W)
        h = rng.uniform(0.6, 1.2) * size
        y = y_line + rng.uniform(0, 40)
        draw.polygon([(x, y - h), (x - h / 3, y), (x + h / 3, y)], fill=colour)


def paint(index, scene, rng):
    name, top, horizon, lands, sun, night = scene
    img = Image.new("RGB", (W, H))
    draw = ImageDraw.Draw(img)
    horizon_y = int(H * rng.uniform(0.45, 0.6))
    sky(draw, top, horizon, horizon_y + 200)

    if night:
        for _ in range(350):
            x, y = rng.uniform(0, W), rng.uniform(0, horizon_y)
            b = rng.randint(150, 255)
            r = rng.choice([0.6, 0.8, 1.2])
            draw.ellipse([x - r, y - r, x + r, y + r], fill=(b, b, rng.randint(180, 255)))

    # The sun or moon, with a soft halo painted on its own layer.
    sx, sy = rng.uniform(0.15, 0.85) * W, rng.uniform(0.15, 0.45) * horizon_y + 40
    radius = rng.uniform(28, 55)
    halo = Image.new("RGB", (W, H), (0, 0, 0))
    hd = ImageDraw.Draw(halo)
    hd.ellipse([sx - radius * 3, sy - radius * 3, sx + radius * 3, sy + radius * 3], fill=mix((0, 0, 0), sun, 0.35))
    halo = halo.filter(ImageFilter.GaussianBlur(radius * 1.5))
    img = Image.blend(img, Image.composite(halo, img, halo.convert("L")), 0.6)
    draw = ImageDraw.Draw(img)
    draw.ellipse([sx - radius, sy - radius, sx + radius, sy + radius], fill=sun)

    # Three layers of land, far to near, each lower and darker.
    lake = rng.random() < 0.4
    for layer, colour in enumerate(lands):
        base = horizon_y + layer * (H - horizon_y) * 0.22
        roughness = [90, 55, 30][layer] * rng.uniform(0.6, 1.3)
        points = ridge(rng, base, roughness, [1.5, 2.2, 1.2][layer])
        draw.polygon(points + [(W, H), (0, H)], fill=colour)
        if layer == 1 and not night and rng.random() < 0.6:
            trees(draw, rng, base, mix(colour, (0, 0, 0), 0.35), 40, 45)

    if lake:
        water_top = int(H * 0.78)
        mirror = img.crop((0, water_top - (H - water_top), W, water_top)).transpose(Image.FLIP_TOP_BOTTOM)
        mirror = Image.blend(mirror, Image.new("RGB", mirror.size, mix(horizon, top, 0.5)), 0.45)
        img.paste(mirror.filter(ImageFilter.GaussianBlur(2)), (0, water_top))
        draw = ImageDraw.Draw(img)
        for _ in range(60):
            y = rng.uniform(water_top + 5, H)
            x = rng.uniform(0, W)
            draw.line([(x, y), (x + rng.uniform(20, 90), y)], fill=mix(horizon, (255, 255, 255), 0.3), width=1)

    if name == "Misty forest":
        fog = Image.new("RGB", (W, H), (225, 230, 230))
        img = Image.blend(img, fog, 0.25)

    return img.filter(ImageFilter.SMOOTH)


def main():
    disc = sys.argv[1]
    folder = os.path.join(disc, "PICTURES")
    os.makedirs(folder, exist_ok=True)
    for index, scene in enumerate(SCENES):
        rng = random.Random(4242 + index)
        paint(index, scene, rng).save(os.path.join(folder, "IMG%04d.JPG" % (index + 1)), "JPEG", quality=82)


if __name__ == "__main__":
    main()
