"""A private X server with the program in it, for end-to-end tests."""
import os
import random
import shutil
import subprocess
import tempfile
import time

from PIL import Image

APP_DIR = os.environ["VEXILO_APP_DIR"]
EDITOR_SIZE = (639, 454)
# The photo browser's frame ends here in the designed editor; the editor
# grows by widening and lengthening it.
BROWSER_RIGHT, BROWSER_BOTTOM = 265, 387


class XSession:
    def __init__(self, screen="1024x768x24", register=True):
        self.root = tempfile.mkdtemp(prefix="vexilo-e2e-")
        self.display = self._start_xvfb(screen)
        self.env = dict(os.environ)
        for var in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY"):
            self.env.pop(var, None)
        self.env.update(
            DISPLAY=self.display,
            HOME=self.path("home"),
            XDG_CONFIG_HOME=self.path("home/.config"),
            XDG_CACHE_HOME=self.path("home/.cache"),
            XDG_DATA_HOME=self.path("home/.local/share"),
            XDG_RUNTIME_DIR=self.path("runtime"),
            VEXILO_REGISTRY_DIR=self.path("registry"),
            VEXILO_CDROM_ROOTS="",
        )
        for d in ("home", "runtime", "registry"):
            os.makedirs(self.path(d), exist_ok=True)
        os.chmod(self.path("runtime"), 0o700)
        if register:
            self.register_button_control()
        self.program = None

    def register_button_control(self):
        """Registers libPressola.so in the private registry, as installing does."""
        library = os.path.join(APP_DIR, "libPressola.so")
        if os.path.exists(library):
            subprocess.run([os.path.join(APP_DIR, "vexilo-cube"), "regsvr", library], env=self.env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def path(self, relative):
        return os.path.join(self.root, relative)

    def _start_xvfb(self, screen):
        # A display number of its own, far from the lowest free one: a server
        # of another test that is still shutting down may yet remove the
        # socket of the number it held, and Xvfb left to pick would take
        # that number at once. Xvfb reports the number once it accepts
        # connections, and fails when the number is taken.
        for _ in range(50):
            number = random.randint(1000, 60000)
            read_end, write_end = os.pipe()
            self.xvfb = subprocess.Popen(["Xvfb", f":{number}", "-displayfd", str(write_end), "-screen", "0", screen,
                                          "-nolisten", "tcp"], pass_fds=(write_end,),
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            with os.fdopen(read_end) as pipe:
                reported = pipe.readline().strip()
            if reported:
                return f":{reported}"
            self.xvfb.wait(10)
        raise RuntimeError("no X server could be started")

    def start_program(self, *arguments):
        if self.program:
            self.log.close()
        self.log = open(self.path("program.log"), "wb")
        self.program = subprocess.Popen([os.path.join(APP_DIR, "vexilo"), *arguments], env=self.env,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        try:
            return self.wait_for_window("Vexilo")
        except AssertionError as e:
            with open(self.path("program.log"), "rb") as f:
                output = f.read().decode(errors="replace")
            raise AssertionError(f"{e}; program {'ended with ' + str(self.program.poll()) if self.program.poll() is not None else 'still runs'}; its output: {output}")

    def xdotool(self, *args, check=True):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, check=check).stdout

    def windows(self, name):
        out = self.xdotool("search", "--onlyvisible", "--name", name, check=False)
        return [w for w in out.split() if w]

    def wait_for_window(self, name, count=1, timeout=90):
        # Generous: a start under the sanitizers beside other tests can take
        # tens of seconds.
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.windows(name)
            if len(found) >= count:
                return found
            time.sleep(0.05)
        raise AssertionError(f"no window named {name!r} appeared")

    def screenshot(self):
        out = self.path("screen.png")
        subprocess.run(["import", "-display", self.display, "-window", "root", out], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return Image.open(out).convert("RGB")

    def wait_for_screen(self, condition, timeout=20):
        """Takes screenshots until one satisfies the condition; returns it."""
        deadline = time.time() + timeout
        while True:
            shot = self.screenshot()
            if condition(shot) or time.time() > deadline:
                return shot
            time.sleep(0.1)

    def editor_rect(self, screen_size=(1024, 768)):
        """The editor and the cube's preview beside it fill the frame's client
        area below its menu bar, 16 pixels from each other and the edges: the
        preview a square as tall as that allows, of at most 640 pixels, left out
        where it would be less than half as tall as the designed editor; the
        editor the rest, never less than its designed size (then centred)."""
        bar = self.menu_bar_height(screen_size)
        width, height = screen_size[0], screen_size[1] - bar
        gap = 16
        edge = min(height - 2 * gap, width - EDITOR_SIZE[0] - 3 * gap, 640)
        beside = gap + edge if edge >= EDITOR_SIZE[1] // 2 else 0
        w = max(EDITOR_SIZE[0], width - 2 * gap - beside)
        h = max(EDITOR_SIZE[1], height - 2 * gap)
        return ((width - w - beside) // 2, bar + height // 2 - h // 2, w, h)

    def editor_origin(self, screen_size=(1024, 768)):
        return self.editor_rect(screen_size)[:2]

    def editor_point(self, x, y, screen_size=(1024, 768)):
        """A point of the designed editor, in its pixels, where it stands on the
        screen: what lies right of the photo browser moves with the editor's
        right edge, what lies below it with the bottom edge. (The Insert button,
        under the browser's right end, moves with both and is not placed here.)"""
        ox, oy, w, h = self.editor_rect(screen_size)
        return (ox + x + (w - EDITOR_SIZE[0] if x >= BROWSER_RIGHT else 0),
                oy + y + (h - EDITOR_SIZE[1] if y >= BROWSER_BOTTOM else 0))

    def menu_bar_height(self, screen_size):
        """The rows above the frame's dark client area, beside the editor, in
        the frame's own pixels (the screen may have several per pixel)."""
        def rows(shot):
            scale = shot.size[0] // screen_size[0]
            # At the right edge, past the menus' titles and the preview.
            x = (screen_size[0] - 6) * scale
            dark = [y for y in range(80 * scale) if sum(shot.getpixel((x, y))) < 250]
            return dark[0] // scale if dark else None
        # Until the menu bar is painted the frame's dark area may reach the
        # top row: the frame always has one, so a bar of no rows is not yet.
        bar = rows(self.wait_for_screen(lambda s: bool(rows(s))))
        return bar or 0

    def click_twips(self, left, top, width, height, button=1, repeat=1):
        """Clicks the middle of a control given in the editor's twips."""
        x, y = self.editor_point(round((left + width / 2) / 15), round((top + height / 2) / 15))
        self.xdotool("mousemove", str(x), str(y))
        time.sleep(0.1)
        self.xdotool("click", "--repeat", str(repeat), "--delay", "80", str(button))

    def stop(self):
        if self.program and self.program.poll() is None:
            self.program.terminate()
            try:
                self.program.wait(10)
            except subprocess.TimeoutExpired:
                self.program.kill()
        if self.program:
            self.log.close()
        self.xvfb.terminate()
        self.xvfb.wait(10)
        shutil.rmtree(self.root, ignore_errors=True)
