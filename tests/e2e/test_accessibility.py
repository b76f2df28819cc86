"""The editor as a screen reader sees it: the real program under Xvfb, its
accessibility bridge on a private AT-SPI bus, read and worked with pyatspi.
Run inside its own D-Bus session (dbus-run-session), so that the session's
accessibility bus belongs to this test alone."""
import os
import sys
import time
import unittest

import pyatspi

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_program  # noqa: E402
from xsession import XSession  # noqa: E402

BUTTONS = ["Insert", "Preview", "Send", "Save", "About", "Customer Support Online"]
FACES = [f"Face {n}, empty" for n in range(1, 7)]


def descendants(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def find_application(name, timeout=30):
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    raise AssertionError(f"no application {name!r} on the accessibility bus")


class AccessibilityTest(unittest.TestCase):
    def setUp(self):
        self.assertIn("DBUS_SESSION_BUS_ADDRESS", os.environ, "run me under dbus-run-session")
        self.x = XSession()
        self.addCleanup(self.x.stop)
        self.x.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.log = self.x.path("browser.log")
        browser = self.x.path("fake-browser")
        with open(browser, "w") as f:
            f.write(test_program.FAKE_BROWSER.format(log=self.log))
        os.chmod(browser, 0o755)
        self.x.env["BROWSER"] = browser

    def editor_nodes(self, app, timeout=30):
        """The push buttons and the faces, once all of them are listed."""
        deadline = time.time() + timeout
        while True:
            nodes = list(descendants(app))
            buttons = [n for n in nodes if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
            faces = [n for n in nodes if n.name.startswith("Face ")]
            if len(faces) == 6 and len(buttons) >= 6 or time.time() > deadline:
                return buttons, faces
            time.sleep(0.3)

    def test_buttons_and_faces_are_named_and_preview_presses(self):
        self.x.start_program()
        app = find_application("vexilo")
        buttons, faces = self.editor_nodes(app)
        listing = [(b.name, b.description) for b in buttons] + [(f.name, f.getRoleName()) for f in faces]
        print("AT-SPI lists:", *listing, sep="\n  ", file=sys.stderr)

        self.assertEqual(sorted(b.name for b in buttons), sorted(BUTTONS))
        self.assertEqual([f.name for f in faces], FACES)
        by_name = {b.name: b for b in buttons}
        self.assertEqual(by_name["Preview"].description, "Preview cube in web page")
        for face in faces:
            self.assertEqual(face.getRole(), pyatspi.ROLE_IMAGE)
            self.assertTrue(face.getState().contains(pyatspi.STATE_FOCUSABLE))
        self.assertTrue(faces[0].getState().contains(pyatspi.STATE_SELECTED))

        preview = by_name["Preview"].queryAction()
        actions = [preview.getName(i) for i in range(preview.nActions)]
        self.assertIn("Press", actions)
        preview.doAction(actions.index("Press"))
        line = test_program.ProgramTest.wait_for_lines(self, self.log, 1)[0].split()
        self.assertEqual(line[1], "file://" + self.x.path("home/.cache/vexilo/CubeTemp") + "/Vexilo.htm")


if __name__ == "__main__":
    unittest.main(verbosity=2)
