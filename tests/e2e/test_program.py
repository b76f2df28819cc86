"""End-to-end checks of the real program under Xvfb."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import APP_DIR, XSession  # noqa: E402

class ProgramTest(unittest.TestCase):
    def setUp(self):
        self.x = XSession()
        self.addCleanup(self.x.stop)

    def test_starts_centred_and_cleans_up_on_close(self):
        self.x.start_program()
        work = self.x.path("home/.cache/vexilo/CubeTemp")
        self.assertTrue(os.path.exists(os.path.join(work, "Vexilo.htm")))
        self.assertTrue(os.path.isdir(self.x.path("home/Vexilo")))
        ox, oy = self.x.editor_origin()
        # Inside the editor its light background; outside it the dark frame.
        shot = self.x.wait_for_screen(lambda shot: sum(shot.getpixel((ox + 5, oy + 5))) > 550)
        self.assertGreater(sum(shot.getpixel((ox + 5, oy + 5))), 550)
        outside = shot.getpixel((ox - 20, oy - 20))
        self.assertLess(sum(outside), 250, outside)

        self.x.program.terminate()
        self.assertEqual(self.x.program.wait(10), 0)
        self.assertFalse(os.path.exists(work))

    def test_second_start_opens_no_window(self):
        self.x.start_program()
        second = subprocess.run([os.path.join(APP_DIR, "vexilo")], env=self.x.env, timeout=10,
                                capture_output=True)
        self.assertEqual(second.returncode, 0)
        time.sleep(0.3)
        self.assertEqual(len(self.x.windows("Norvane")), 1)


if __name__ == "__main__":
    unittest.main(verbosity=2)
