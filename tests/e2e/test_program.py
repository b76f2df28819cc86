"""End-to-end checks of the real program under Xvfb."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import APP_DIR, XSession  # noqa: E402

PREVIEW = (4230, 6120, 1650, 435)

# The browser runs until it is ended, or until the session's folder, with its
# log, is removed: one the program leaves running does not outlive the test.
FAKE_BROWSER = """#!/bin/sh
echo "$$ $*" >> "{log}"
trap 'echo "$$ ended" >> "{log}"; exit 0' TERM
while [ -e "{log}" ]; do sleep 0.1; done
"""


class ProgramTest(unittest.TestCase):
    def setUp(self):
        self.x = XSession()
        self.addCleanup(self.x.stop)

    def test_starts_filling_the_frame_and_cleans_up_on_close(self):
        self.x.start_program()
        work = self.x.path("home/.cache/vexilo/CubeTemp")
        self.assertTrue(os.path.exists(os.path.join(work, "Vexilo.htm")))
        self.assertTrue(os.path.isdir(self.x.path("home/Vexilo")))
        ox, oy, w, h = self.x.editor_rect()
        # Inside the editor its light background, down to the band at its
        # foot; round it the dark frame.
        shot = self.x.wait_for_screen(lambda shot: sum(shot.getpixel((ox + 5, oy + 5))) > 550)
        for inside in ((ox + 5, oy + 5), (ox + 5, oy + h - 5)):
            self.assertGreater(sum(shot.getpixel(inside)), 550, inside)
        for outside in ((ox - 8, oy - 8), (ox + 5, oy + h + 8)):
            self.assertLess(sum(shot.getpixel(outside)), 250, outside)

        self.x.program.terminate()
        self.assertEqual(self.x.program.wait(10), 0)
        self.assertFalse(os.path.exists(work))

    def test_first_start_with_empty_registry_registers_the_buttons(self):
        self.x.stop()
        self.x = XSession(register=False)
        self.addCleanup(self.x.stop)
        self.assertEqual(os.listdir(self.x.path("registry")), [])
        log = self.use_fake_browser()
        self.x.start_program()
        # A working button: Preview builds the page and starts the browser.
        self.x.click_twips(*PREVIEW)
        self.assertEqual(len(self.wait_for_lines(log, 1)), 1)
        with open(self.x.path("registry/user.reg"), encoding="utf-8") as f:
            hive = f.read()
        key = "[HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{E5E3072A-AEAA-11D2-AD96-00A0C9E36867}\\InprocServer32]"
        self.assertIn(key + '\n@="' + os.path.join(APP_DIR, "libPressola.so") + '"', hive)

    def test_second_start_opens_no_window(self):
        self.x.start_program()
        second = subprocess.run([os.path.join(APP_DIR, "vexilo")], env=self.x.env, timeout=10,
                                capture_output=True)
        self.assertEqual(second.returncode, 0)
        time.sleep(0.3)
        self.assertEqual(len(self.x.windows("Norvane")), 1)

    def test_preview_opens_the_built_page_and_ends_the_last_browser(self):
        log = self.use_fake_browser()
        self.x.start_program()
        work = self.x.path("home/.cache/vexilo/CubeTemp")

        self.x.click_twips(*PREVIEW)
        first = self.wait_for_lines(log, 1)[0].split()
        self.assertEqual(first[1], "file://" + work + "/Vexilo.htm")
        with open(os.path.join(work, "Vexilo.htm"), "rb") as page:
            self.assertIn(b"\r\n", page.read())
        self.assertTrue(os.path.exists(os.path.join(work, "cubefold.jpg")))

        # Two clicks within the double-click time make a double click, which
        # the button reports as DblClick rather than a second Click.
        time.sleep(0.6)
        self.x.click_twips(*PREVIEW)
        lines = self.wait_for_lines(log, 3)
        self.assertIn(f"{first[0]} ended", lines)

    def use_fake_browser(self):
        """Makes a browser that logs its address; returns the log's path."""
        log = self.x.path("browser.log")
        browser = self.x.path("fake-browser")
        with open(browser, "w") as f:
            f.write(FAKE_BROWSER.format(log=log))
        os.chmod(browser, 0o755)
        self.x.env["BROWSER"] = browser
        return log

    def wait_for_lines(self, path, count, timeout=30):
        deadline = time.time() + timeout
        lines = []
        while time.time() < deadline:
            if os.path.exists(path):
                with open(path) as f:
                    lines = f.read().splitlines()
                if len(lines) >= count:
                    return lines
            time.sleep(0.1)
        raise AssertionError(f"{path} has {lines}, wanted {count} lines")


if __name__ == "__main__":
    unittest.main(verbosity=2)
