#!/usr/bin/env python3
"""check-layers refuses includes against the layers and accepts the allowed ones."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../../scripts/check-layers")


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)
        result = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
        return result.returncode, result.stdout


class CheckLayers(unittest.TestCase):
    def test_refused(self):
        cases = [
            ("core/Globals.h", "editor/TopForm.h"),
            ("publish/CubeBuilder.cpp", "mail/MailSession.h"),
            ("editor/TopForm.cpp", "shell/MDIForm1.h"),
            ("tools/commands/SendCommand.cpp", "editor/TopForm.h"),
            ("platform/Registry.cpp", "core/Globals.h"),
            ("components/pixlet/Pixlet.cpp", "resources/StringTable.h"),
            ("pressola/PressolaCtrl.cpp", "platform/BrowserProcess.h"),
            ("photosource/PhotoBrowser.cpp", "publish/Progress.h"),
        ]
        for source, include in cases:
            with self.subTest(source=source, include=include):
                code, out = run({source: f'#include "{include}"\n'})
                self.assertEqual(code, 1, out)
                self.assertIn(f"{source}:1:", out)
                self.assertIn(include, out)

    def test_allowed(self):
        cases = [
            ("shell/MDIForm1.cpp", "editor/TopForm.h"),
            ("editor/TopForm.cpp", "components/imaging/LeadImage.h"),
            ("mail/MailCube.cpp", "publish/StepBars.h"),
            ("tools/main.cpp", "resources/StringTable.h"),
            ("pressola/PressolaServer.cpp", "platform/registry/Registry.h"),
            ("editor/ControlSite.cpp", "pressola/PressolaFactory.h"),
            ("core/Globals.cpp", "core/Globals.h"),
        ]
        for source, include in cases:
            with self.subTest(source=source, include=include):
                code, out = run({source: f'#include "{include}"\n#include <QString>\n'})
                self.assertEqual(code, 0, out)


if __name__ == "__main__":
    unittest.main()
