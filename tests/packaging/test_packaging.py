"""The files a desktop installation holds beside the program: each passes the
desktop's own validators, and the bash completion completes what
vexilo-cube takes."""
import os
import subprocess
import sys
import tempfile
import unittest

from PIL import Image

SOURCE = os.environ["VEXILO_SOURCE_DIR"]
STAGED = os.environ["VEXILO_PACKAGING_DIR"]  # packaging/ of the build tree
PACKAGING = os.path.join(SOURCE, "packaging")


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, env=dict(os.environ, LC_ALL="C.UTF-8"))


class DesktopFilesTest(unittest.TestCase):
    def test_desktop_entry_is_valid(self):
        result = run("desktop-file-validate", os.path.join(PACKAGING, "vexilo.desktop"))
        self.assertEqual((result.returncode, result.stdout), (0, ""))

    def test_cube_documents_are_their_own_file_type(self):
        with tempfile.TemporaryDirectory() as data:
            os.makedirs(os.path.join(data, "mime", "packages"))
            with open(os.path.join(PACKAGING, "com.norvane.vexilo.xml"), "rb") as source, \
                    open(os.path.join(data, "mime", "packages", "com.norvane.vexilo.xml"), "wb") as target:
                target.write(source.read())
            result = run("update-mime-database", os.path.join(data, "mime"))
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(os.path.join(data, "mime", "globs2")) as globs:
                self.assertIn("application/x-vexilo-cube:*.vexilo", globs.read())
        with open(os.path.join(PACKAGING, "vexilo.desktop")) as entry:
            text = entry.read()
        self.assertIn("MimeType=application/x-vexilo-cube;", text)
        self.assertIn("Exec=vexilo %f", text)

    def test_appstream_metainfo_is_valid(self):
        result = run("appstreamcli", "validate", "--no-net", os.path.join(STAGED, "com.norvane.vexilo.metainfo.xml"))
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_manual_pages_format_without_warnings(self):
        for page in ("vexilo.1", "vexilo-cube.1"):
            with self.subTest(page=page):
                result = run("groff", "-man", "-ww", "-z", os.path.join(PACKAGING, page))
                self.assertEqual((result.returncode, result.stderr), (0, ""))

    def test_manual_page_names_every_command_and_exit_status(self):
        text = run("man", "-l", os.path.join(PACKAGING, "vexilo-cube.1")).stdout
        for word in ("build --face", "send --face", "catalog --disc", "reg get", "regsvr", "EXIT STATUS",
                     "Bad usage"):
            self.assertIn(word, text)

    def test_icons_at_every_theme_size(self):
        for size in (16, 24, 32, 48, 64, 128, 256):
            with self.subTest(size=size):
                with Image.open(os.path.join(STAGED, "icons", f"{size}x{size}", "apps", "vexilo.png")) as icon:
                    self.assertEqual(icon.size, (size, size))
                    self.assertEqual(icon.mode, "RGBA")


class CompletionTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        for name in ("beach.jpg", "notes.txt", "key.pem", "summer.vexilo"):
            open(os.path.join(cls.folder.name, name), "w").close()
        os.mkdir(os.path.join(cls.folder.name, "cubes"))

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def complete(self, line):
        """What bash offers for the last word of line, sorted."""
        script = f"""
source /usr/share/bash-completion/bash_completion
source {os.path.join(PACKAGING, 'vexilo-cube.bash-completion')}
COMP_LINE='{line}'
COMP_POINT=${{#COMP_LINE}}
COMP_WORDBREAKS="${{COMP_WORDBREAKS//=}}"
read -ra COMP_WORDS <<< "$COMP_LINE"
[[ $COMP_LINE == *' ' ]] && COMP_WORDS+=('')
COMP_CWORD=$(( ${{#COMP_WORDS[@]}} - 1 ))
_vexilo_cube vexilo-cube "${{COMP_WORDS[-1]}}" "${{COMP_WORDS[-2]}}"
printf '%s\\n' "${{COMPREPLY[@]}}"
"""
        result = subprocess.run(["bash", "-c", script], cwd=self.folder.name, capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        return sorted(w for w in result.stdout.split("\n") if w)

    def test_cases(self):
        cases = [
            ("vexilo-cube ", ["--help", "--version", "build", "catalog", "reg", "regsvr", "send", "video"]),
            ("vexilo-cube se", ["send"]),
            ("vexilo-cube build --", ["--caption", "--crop", "--cube", "--face", "--fill", "--fit", "--help", "--out",
                                      "--package", "--save-cube", "--turn"]),
            ("vexilo-cube build --fill ", ["1", "2", "3", "4", "5", "6", "all"]),
            ("vexilo-cube send --fit a", ["all"]),
            ("vexilo-cube build --turn 3=", ["3=0", "3=180", "3=270", "3=90"]),
            ("vexilo-cube build --cube ", ["cubes", "summer.vexilo"]),
            ("vexilo-cube build --save-cube s", ["summer.vexilo"]),
            ("vexilo-cube send --cu", ["--cube"]),
            ("vexilo-cube send --p", ["--password-file"]),
            ("vexilo-cube send --a", ["--attach", "--attach-web-page"]),
            ("vexilo-cube send --attach ", ["both", "exe", "web"]),
            ("vexilo-cube send --m", ["--mail-program", "--message"]),
            ("vexilo-cube catalog --", ["--catalogs", "--disc", "--help"]),
            ("vexilo-cube reg ", ["delete", "get", "set"]),
            ("vexilo-cube reg get HKC", ["HKCU"]),
            ("vexilo-cube build --face ", ["1=", "2=", "3=", "4=", "5=", "6="]),
            ("vexilo-cube build --face 2=", ["2=beach.jpg", "2=cubes"]),
            ("vexilo-cube build --out ", ["cubes"]),
            ("vexilo-cube send --cacert k", ["key.pem"]),
            ("vexilo-cube regsvr --", ["--help", "--unregister"]),
            ("vexilo-cube send --caption ", []),
            ("vexilo-cube frobnicate --", []),
            ("vexilo-cube video --f", ["--face", "--fill", "--fit", "--format"]),
            ("vexilo-cube video --format ", ["gif", "mp4", "webm", "webp"]),
            ("vexilo-cube video --size ", ["1080", "480", "720"]),
        ]
        for line, offered in cases:
            with self.subTest(line=line):
                self.assertEqual(self.complete(line), offered)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
