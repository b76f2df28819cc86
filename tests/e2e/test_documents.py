"""A cube kept as a document, in the real program under Xvfb: opened from
the command line, changed, undone, saved, and recovered after a kill."""
import json
import os
import signal
import sys
import time
import unittest

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import XSession  # noqa: E402

FACE_1 = (4110, 3135, 1155, 1155)
FACE_3 = (6795, 3135, 1155, 1155)


class DocumentTest(unittest.TestCase):
    def setUp(self):
        self.x = XSession()
        self.addCleanup(self.x.stop)
        self.photos = []
        for name, colour in (("red beach.jpg", (220, 30, 30)), ("blue sea.jpg", (30, 30, 220))):
            path = self.x.path(name)
            Image.new("RGB", (120, 90), colour).save(path)
            self.photos.append(path)
        self.document = self.x.path("Holiday cube.vexilo")
        faces = [{"photo": self.photos[0]}, {}, {"photo": self.photos[1]}, {}, {}, {}]
        with open(self.document, "w", encoding="utf-8") as f:
            json.dump({"format": "vexilo-cube", "version": 1, "caption": "Trip", "faces": faces}, f)

    def saved_faces(self):
        with open(self.document, encoding="utf-8") as f:
            return [face.get("photo", "") for face in json.load(f)["faces"]]

    def wait_for_saved_faces(self, expected, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                if self.saved_faces() == expected:
                    return
            except (OSError, ValueError):
                pass
            time.sleep(0.1)
        self.assertEqual(self.saved_faces(), expected)

    def wait_for_face(self, face, colour, shown=True):
        """Waits until the face shows the photo of that colour, or no longer does."""
        x, y = self.x.editor_point(round((face[0] + face[2] / 2) / 15), round((face[1] + face[3] / 2) / 15))

        def showing(shot):
            return all(abs(a - b) < 50 for a, b in zip(shot.getpixel((x, y)), colour))

        shot = self.x.wait_for_screen(lambda s: showing(s) == shown)
        self.assertEqual(showing(shot), shown)

    def wait_for_face_1(self, is_red):
        self.wait_for_face(FACE_1, (220, 30, 30), is_red)

    def key(self, *keys):
        self.x.xdotool("key", "--delay", "100", *keys)
        time.sleep(0.3)

    def test_change_undo_save_and_recover_after_a_kill(self):
        self.x.start_program(self.document)
        # Face 1 holds the red photo; Delete takes it off, and Save keeps that.
        self.wait_for_face_1(True)
        self.x.click_twips(*FACE_1)
        self.key("Delete")
        self.wait_for_face_1(False)
        self.key("ctrl+s")
        self.wait_for_saved_faces(["", "", self.photos[1], "", "", ""])
        # Undo puts it back.
        self.key("ctrl+z")
        self.wait_for_face_1(True)
        self.key("ctrl+s")
        self.wait_for_saved_faces([self.photos[0], "", self.photos[1], "", "", ""])

        # Changes not saved, then a kill: the next start offers them again.
        self.key("Delete")
        recovery = self.x.path("home/.local/share/vexilo/recovery.vexilo")
        deadline = time.time() + 20
        while not os.path.exists(recovery) and time.time() < deadline:
            time.sleep(0.1)
        self.assertTrue(os.path.exists(recovery))
        self.x.program.send_signal(signal.SIGKILL)
        self.x.program.wait(10)

        self.x.start_program()
        self.x.wait_for_window("Norvane", count=2)
        self.key("Return")
        self.wait_for_face_1(False)
        # The keys go to the window last clicked.
        self.x.click_twips(*FACE_1)
        self.key("ctrl+s")
        self.wait_for_saved_faces(["", "", self.photos[1], "", "", ""])
        self.assertFalse(os.path.exists(recovery))

        # Quit, and start with the document: the cube is as it was saved.
        self.x.program.terminate()
        self.assertEqual(self.x.program.wait(10), 0)
        self.x.start_program(self.document)
        self.wait_for_face(FACE_3, (30, 30, 220))
        self.wait_for_face_1(False)


    def saved_face_1(self):
        with open(self.document, encoding="utf-8") as f:
            return json.load(f)["faces"][0]

    def wait_for_saved_face_1(self, condition, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                if condition(self.saved_face_1()):
                    return
            except (OSError, ValueError):
                pass
            time.sleep(0.1)
        self.fail(f"face 1 saved as {self.saved_face_1()}")

    def test_frame_a_face_by_keys_and_by_dragging(self):
        # A 2:1 photo in three bands, red, green and blue, on face 1.
        bands = Image.new("RGB", (1600, 800), (220, 30, 30))
        bands.paste((30, 200, 30), (533, 0, 1066, 800))
        bands.paste((30, 30, 220), (1066, 0, 1600, 800))
        bands.save(self.photos[0])
        self.x.start_program(self.document)
        centre = self.x.editor_point(round((FACE_1[0] + FACE_1[2] / 2) / 15), round((FACE_1[1] + FACE_1[3] / 2) / 15))
        near_top = (centre[0], self.x.editor_point(0, round((FACE_1[1] + FACE_1[3] * 0.1) / 15))[1])
        green = (30, 200, 30)

        def shows(shot, at, colour):
            return all(abs(a - b) < 60 for a, b in zip(shot.getpixel(at), colour))

        # Fitted, the face is white above the photo; filled, the photo covers it.
        self.x.wait_for_screen(lambda shot: shows(shot, centre, green))
        self.assertTrue(shows(self.x.screenshot(), near_top, (255, 255, 255)))
        self.x.click_twips(*FACE_1)
        self.key("ctrl+shift+f")
        self.x.wait_for_screen(lambda shot: shows(shot, near_top, green))
        self.key("ctrl+s")
        self.wait_for_saved_face_1(lambda face: face.get("framing") == "fill")

        # Fill places the square on what stands out; dragged to the left,
        # the photo shows more of its right side.
        filled = self.saved_face_1()
        left = filled.get("square", [400])[0]
        self.x.xdotool("mousemove", str(centre[0]), str(centre[1]))
        self.x.xdotool("mousedown", "1")
        for step in range(1, 7):
            self.x.xdotool("mousemove", str(centre[0] - 5 * step), str(centre[1]))
            time.sleep(0.05)
        self.x.xdotool("mouseup", "1")
        self.key("ctrl+s")
        self.wait_for_saved_face_1(lambda face: face.get("square", [0])[0] >= min(800, left + 200))
        self.assertEqual(self.saved_face_1()["square"][1:], [0, 800])

        # One undo takes the drag back, the next the fill.
        self.key("ctrl+z")
        self.key("ctrl+s")
        self.wait_for_saved_face_1(lambda face: face == filled)
        self.key("ctrl+z")
        self.key("ctrl+s")
        self.wait_for_saved_face_1(lambda face: "framing" not in face)


if __name__ == "__main__":
    unittest.main(verbosity=2)
