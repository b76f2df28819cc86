"""The editor on a screen of twice the density: the real program under Xvfb
with QT_SCALE_FACTOR=2 draws its artwork from the @2x pictures, so its edges
are sharper than those of the 1x screen scaled up."""
import os
import sys
import unittest

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import XSession  # noqa: E402

FRAME = (1024, 768)
# Regions of pure artwork, in the designed editor's 1x pixels (left, top,
# right, bottom).
REGIONS = {
    "logo": (566, 14, 620, 104),       # the cube and "Vexilo" on the background
    "face tile": (542, 209, 619, 286),  # face 5's placeholder
    "insert glyph": (234, 392, 256, 412),  # the arrow on the Insert button
    "selection frame": (270, 205, 355, 215),  # the top of face 1's frame
}


def edge_contrast(image):
    """The mean of the largest tenth of the differences between neighbouring
    pixels: how steep the picture's edges are."""
    grey = image.convert("L")
    w, h = grey.size
    px = grey.load()
    steps = [abs(px[x + 1, y] - px[x, y]) for y in range(h) for x in range(w - 1)]
    steps += [abs(px[x, y + 1] - px[x, y]) for y in range(h - 1) for x in range(w)]
    steps.sort(reverse=True)
    top = steps[:max(1, len(steps) // 10)]
    return sum(top) / len(top)


class HighDensityTest(unittest.TestCase):
    def editor_shot(self, scale):
        """The editor on the screen, and where each region stands in it."""
        x = XSession(screen=f"{FRAME[0] * scale}x{FRAME[1] * scale}x24")
        self.addCleanup(x.stop)
        if scale != 1:
            x.env["QT_SCALE_FACTOR"] = str(scale)
        x.start_program()
        ox, oy, w, h = x.editor_rect(FRAME)
        shot = x.wait_for_screen(lambda s: sum(s.getpixel(((ox + 5) * scale, (oy + 5) * scale))) > 550)
        regions = {}
        for name, (l, t, r, b) in REGIONS.items():
            px, py = x.editor_point(l, t, FRAME)
            regions[name] = (px - ox, py - oy, px - ox + r - l, py - oy + b - t)
        return shot.crop((ox * scale, oy * scale, (ox + w) * scale, (oy + h) * scale)), regions

    def test_artwork_at_scale_two_is_sharper_than_scaled_up(self):
        sharp, regions = self.editor_shot(2)
        plain, _ = self.editor_shot(1)
        self.assertEqual(sharp.size, (plain.size[0] * 2, plain.size[1] * 2))
        scaled_up = plain.resize(sharp.size, Image.BICUBIC)
        out = os.environ.get("VEXILO_SCREENSHOTS")
        if out:
            sharp.save(os.path.join(out, "editor@2x.png"))
            scaled_up.save(os.path.join(out, "editor-scaled-up.png"))
        for name, (l, t, r, b) in regions.items():
            box = (l * 2, t * 2, r * 2, b * 2)
            ours, theirs = edge_contrast(sharp.crop(box)), edge_contrast(scaled_up.crop(box))
            print(f"{name}: edge contrast {ours:.1f} at scale 2, {theirs:.1f} scaled up", file=sys.stderr)
            self.assertGreater(ours, theirs * 1.2, name)


if __name__ == "__main__":
    unittest.main(verbosity=2)
