"""Every text of the window artwork and every button caption stands out from
what lies behind it by a contrast ratio of 4.5:1 or more, at 1x and at 2x."""
import importlib.machinery
import importlib.util
import os
import sys
import unittest

from PIL import Image

ROOT = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
ART = os.path.join(ROOT, "resources", "artwork")
BITMAPS = os.path.join(ROOT, "resources", "bitmaps")

loader = importlib.machinery.SourceFileLoader("make_artwork", os.path.join(ROOT, "scripts", "make-artwork"))
spec = importlib.util.spec_from_loader("make_artwork", loader)
artwork = importlib.util.module_from_spec(spec)
loader.exec_module(artwork)

WHITE = (255, 255, 255)
NAVY = (0, 0, 128)  # the About and support captions' OLE colour 0x800000
MINIMUM = 4.5

# Where the control draws each caption on its bitmaps, in 1x pixels
# (left, top, right, bottom), and in which colour.
CAPTIONS = {
    "STANDARD": ((30, 6, 80, 20), WHITE, "UOD"),
    "INSERT": ((26, 4, 64, 18), WHITE, "UODX"),
    "ABOUT": ((20, 2, 64, 18), NAVY, "UOD"),
    "LINK": ((20, 2, 196, 18), NAVY, "UOD"),
}

# Texts drawn into the artwork: the picture, the text's box in 1x pixels and
# its colour.
BAKED = [
    ("background", (566, 70, 618, 88), artwork.INK),
    ("background", (563, 89, 621, 101), artwork.PHOTO_CUBES),
    ("face1", (14, 50, 63, 63), artwork.FACE_LABEL),
    ("face6", (14, 50, 63, 63), artwork.FACE_LABEL),
    ("about", (18, 124, 80, 136), (190, 206, 236)),
    ("about", (108, 13, 300, 40), artwork.INK),
    ("about", (109, 83, 400, 115), (84, 100, 140)),
    ("about", (109, 123, 300, 137), artwork.ABOUT_SMALL),
]


def luminance(colour):
    def channel(v):
        v /= 255
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = colour[:3]
    return 0.2126 * channel(r) + 0.7152 * channel(g) + 0.0722 * channel(b)


def ratio(a, b):
    light, dark = sorted((luminance(a), luminance(b)), reverse=True)
    return (light + 0.05) / (dark + 0.05)


def worst_inside(image, box, colour):
    pixels = image.crop(box).getdata()
    return min(ratio(colour, p) for p in pixels)


def worst_around(image, box, colour):
    """The text's own pixels are in the box; what lies behind it shows on
    the box's edge, one pixel out."""
    l, t, r, b = box
    rgb = image.load()
    ring = [(x, t - 1) for x in range(l, r)] + [(x, b) for x in range(l, r)]
    ring += [(l - 1, y) for y in range(t, b)] + [(r, y) for y in range(t, b)]
    return min(ratio(colour, rgb[x, y]) for x, y in ring)


def scaled(box, k):
    return tuple(v * k for v in box)


class ContrastTest(unittest.TestCase):
    def test_ratio_of_known_colours(self):
        self.assertAlmostEqual(ratio(WHITE, (0, 0, 0)), 21.0, places=3)
        self.assertAlmostEqual(ratio((118, 118, 118), WHITE), 4.54, places=2)

    def test_button_captions(self):
        for suffix, k in (("", 1), ("@2x", 2)):
            for name, (box, colour, states) in CAPTIONS.items():
                for state in states:
                    with self.subTest(bitmap=name + state + suffix):
                        image = Image.open(os.path.join(BITMAPS, f"{name}{state}{suffix}.bmp")).convert("RGB")
                        self.assertGreaterEqual(worst_inside(image, scaled(box, k), colour), MINIMUM)

    def test_texts_of_the_artwork(self):
        for suffix, k in (("", 1), ("@2x", 2)):
            for picture, box, colour in BAKED:
                with self.subTest(picture=picture + suffix, box=box):
                    image = Image.open(os.path.join(ART, f"{picture}{suffix}.png")).convert("RGB")
                    self.assertGreaterEqual(worst_around(image, scaled(box, k), colour), MINIMUM)


if __name__ == "__main__":
    unittest.main(verbosity=2)
