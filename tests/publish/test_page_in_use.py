"""The built cube page as its readers use it, in real headless Chromium: a
flick's spin, the focus ring, the touch screen's hint and cue, the size of
the cube on a phone, link previews, sharp faces at every screen density,
the single file Cube.html, and the printed paper cube."""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

SOURCE = os.environ.get("VEXILO_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
APP = os.environ.get("VEXILO_APP_DIR", "")
sys.path.insert(0, os.path.join(SOURCE, "tests", "support"))
import devtools  # noqa: E402

CAPTION = "Summer at the lake\nSix days of sun & water"
PHOTOS = [os.path.join(SOURCE, "demo", "disc", "PICTURES", "IMG%04d.JPG" % n) for n in range(1, 7)]

# Screens the page is read on: name, points wide and high, pixels per point, touch.
SCREENS = [
    ("laptop 1280x800", 1280, 800, 1, False),
    ("desktop 1920x1080 at 2", 1920, 1080, 2, False),
    ("phone 390x844 at 3", 390, 844, 3, True),
    ("tablet 820x1180 at 2", 820, 1180, 2, True),
]
PHONE = SCREENS[2]

SWIPE_HINT = "Swipe the cube to turn it.  Tap a photo to see it large."
POINTER_HINT = "Drag the cube to turn it, or use the arrow keys.  Double-click a photo to see it large."
MM_PER_PX = 25.4 / 96


def turns(page):
    """The cube's turns about its across and its upright axis, in degrees."""
    transform = page.eval("document.getElementById('cube').style.transform")
    return tuple(float(re.search(r"%s\((-?[\d.]+)deg\)" % axis, transform).group(1))
                 for axis in ("rotateX", "rotateY"))


def attitude(page):
    """The cube's turn about its upright axis, in degrees."""
    return turns(page)[1]


def stage_centre(page):
    return page.eval("(() => { const r = document.getElementById('stage').getBoundingClientRect();"
                     " return [r.left + r.width / 2, r.top + r.height / 2]; })()")


# The hint's text that shows.
HINT = ("[...document.getElementById('hint').children].filter(s => getComputedStyle(s).display !== 'none')"
        ".map(s => s.textContent).join('')")
FACES_LOADED = ("Promise.all([...document.querySelectorAll('#cube img')].map(i => i.complete ? 1 :"
                " new Promise(r => { i.onload = i.onerror = r; })))")


def jpeg_size(path):
    with open(path, "rb") as f:
        data = f.read()
    at = 2
    while at < len(data):
        marker, length = data[at + 1], struct.unpack(">H", data[at + 2:at + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            height, width = struct.unpack(">HH", data[at + 5:at + 9])
            return width, height
        at += 2 + length
    return None


def pdf_pages(pdf):
    return len(re.findall(rb"/Type\s*/Page[^s]", pdf))


class PageInUse(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not devtools.have_chromium():
            raise unittest.SkipTest("chromium is not installed (scripts/install-deps installs it)")
        cls.folder = tempfile.mkdtemp(prefix="vexilo-page-")
        command = [os.path.join(APP, "vexilo-cube"), "build", "--out", cls.folder, "--caption", CAPTION]
        for n, photo in enumerate(PHOTOS, 1):
            command += ["--face", "%d=%s" % (n, photo)]
        subprocess.run(command, check=True, stderr=subprocess.DEVNULL,
                       env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        cls.url = "file://" + cls.folder + "/Vexilo.htm"
        cls.browser = devtools.Browser()

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def open(self, url=None, screen=SCREENS[0], **options):
        _, width, height, scale, touch = screen
        page = self.browser.page(width, height, scale, touch, **options)
        self.addCleanup(page.close)
        page.open(url or self.url)
        return page

    def test_flick_keeps_spinning_and_slows(self):
        # Released at once, and released a little later than the last move
        # (in another frame), a flick leaves the cube spinning.
        for pause in (0.0, 0.05):
            with self.subTest(pause=pause):
                page = self.open()
                x, y = stage_centre(page)
                page.drag((x - 100, y), (x + 100, y), pause_s=pause)
                released = attitude(page)
                time.sleep(0.2)
                early = attitude(page)
                time.sleep(0.3)
                later = attitude(page)
                time.sleep(1.5)
                still = attitude(page)
                time.sleep(0.3)
                stopped = attitude(page)
                self.assertGreater(early - released, 5, (released, early))
                self.assertGreater(later - early, 1, (early, later))
                # Slower by the second, then at rest (before turning by itself again).
                first, second = (early - released) / 0.2, (later - early) / 0.3
                self.assertLess(second, first)
                print("flick released after %.2f s: %.0f then %.0f degrees a second, %.0f %% left after a"
                      " second" % (pause, first, second, 100 * (second / first) ** (1 / 0.25)))
                self.assertLess(abs(stopped - still), 0.5, (still, stopped))

    def test_spin_slows_by_the_second_not_by_the_frame(self):
        # The same flick at 30 and at 120 frames a second turns the cube as far.
        turns = []
        for rate in (30, 120):
            page = self.open()
            page.call("Emulation.setCPUThrottlingRate", {"rate": 1})
            page.eval("(() => { const raf = window.requestAnimationFrame.bind(window);"
                      " let last = 0; window.requestAnimationFrame = f => raf(function step(t) {"
                      " if (t - last < %f) return raf(step); last = t; f(t); }); })()" % (1000 / rate - 2))
            x, y = stage_centre(page)
            page.drag((x - 100, y), (x + 100, y))
            released = attitude(page)
            time.sleep(1.8)
            turns.append(attitude(page) - released)
        print("a flick turns the cube %.0f degrees at 30 frames a second, %.0f at 120" % tuple(turns))
        self.assertGreater(min(turns), 10, turns)
        self.assertLess(abs(turns[0] - turns[1]), 0.25 * max(turns), turns)

    def test_focus_ring_for_the_keyboard_only(self):
        page = self.open()
        x, y = stage_centre(page)
        page.drag((x - 60, y), (x + 60, y))
        state = page.eval("(() => { const s = document.getElementById('stage');"
                          " return [document.activeElement === s, getComputedStyle(s).outlineStyle,"
                          " s.matches(':focus-visible')]; })()")
        self.assertEqual(state, [True, "none", False])
        # A click on the heading, then the keyboard.
        heading = page.eval("(() => { const r = document.getElementById('caption').getBoundingClientRect();"
                            " return [r.left + 5, r.top + r.height / 2]; })()")
        page.click(*heading)
        page.key("Tab", "Tab", 9)
        state = page.eval("(() => { const s = document.getElementById('stage');"
                          " return [document.activeElement === s, getComputedStyle(s).outlineStyle,"
                          " s.matches(':focus-visible')]; })()")
        self.assertEqual(state, [True, "solid", True])

    def test_phone_is_told_to_swipe_and_gets_most_of_the_width(self):
        page = self.open(screen=PHONE)
        page.eval(FACES_LOADED)
        self.assertEqual(page.eval(HINT), SWIPE_HINT)
        self.assertEqual(page.eval("getComputedStyle(document.querySelector('.cue')).display"), "block")
        width = page.eval("(() => { let l = 1e9, r = -1e9; for (const i of document.querySelectorAll('#cube img'))"
                          " { const b = i.getBoundingClientRect(); l = Math.min(l, b.left);"
                          " r = Math.max(r, b.right); } return [l, r]; })()")
        print("phone: the cube spans %.0f of 390 points" % (width[1] - width[0]))
        self.assertGreater(width[1] - width[0], 0.7 * PHONE[1])
        self.assertGreaterEqual(width[0], 0)
        self.assertLessEqual(width[1], PHONE[1])
        x, y = stage_centre(page)
        page.swipe((x - 80, y), (x + 80, y))
        time.sleep(0.2)
        self.assertEqual(page.eval("getComputedStyle(document.querySelector('.cue')).display"), "none")

    def test_mouse_is_told_to_drag(self):
        page = self.open()
        self.assertEqual(page.eval(HINT), POINTER_HINT)
        self.assertEqual(page.eval("getComputedStyle(document.querySelector('.cue')).display"), "none")

    def viewer(self, page):
        return page.eval("(() => { const d = document.getElementById('viewer'), p = d.querySelector('img');"
                         " const r = p.getBoundingClientRect(); return {open: d.open,"
                         " face: (/image([1-6])@3x\\.jpg$/.exec(p.src) || [0, 0])[1] | 0,"
                         " zoom: new DOMMatrix(getComputedStyle(p).transform).a,"
                         " rect: [r.left, r.top, r.right, r.bottom], window: [innerWidth, innerHeight],"
                         " focus: document.activeElement.id}; })()")

    def test_double_click_opens_the_photo_large(self):
        page = self.open()
        page.eval(FACES_LOADED)
        page.click(*stage_centre(page), count=2)
        shown = self.viewer(page)
        self.assertTrue(shown["open"])
        self.assertIn(shown["face"], range(1, 7))
        self.assertEqual(page.eval("(async () => { const i = document.getElementById('viewer-photo');"
                                   " await i.decode(); return i.naturalWidth; })()"), 720)
        left, top, right, bottom = shown["rect"]
        width, height = shown["window"]
        self.assertGreaterEqual(left, 0)
        self.assertLessEqual(right, width)
        self.assertGreaterEqual(top, 0)
        self.assertLessEqual(bottom, height)
        self.assertGreater(bottom - top, 0.8 * height)
        # The arrow keys page through the faces, round the cube.
        page.key("ArrowRight", "ArrowRight", 39)
        self.assertEqual(self.viewer(page)["face"], shown["face"] % 6 + 1)
        page.key("ArrowLeft", "ArrowLeft", 37)
        page.key("ArrowLeft", "ArrowLeft", 37)
        self.assertEqual(self.viewer(page)["face"], (shown["face"] + 4) % 6 + 1)
        # The wheel and the keys zoom; 0 fits the photo again.
        x, y = (left + right) / 2, (top + bottom) / 2
        page.call("Input.dispatchMouseEvent", {"type": "mouseWheel", "x": x, "y": y, "deltaX": 0, "deltaY": -300})
        time.sleep(0.1)
        wheeled = self.viewer(page)["zoom"]
        self.assertGreater(wheeled, 1.5)
        page.key("+", "Equal", 187)
        self.assertGreater(self.viewer(page)["zoom"], wheeled)
        page.key("0", "Digit0", 48)
        self.assertEqual(self.viewer(page)["zoom"], 1)
        page.key("Escape", "Escape", 27)
        closed = self.viewer(page)
        self.assertFalse(closed["open"])
        self.assertEqual(closed["focus"], "stage")

    def test_viewer_controls_are_named_and_reachable(self):
        page = self.open()
        page.eval("document.getElementById('stage').focus()")
        page.key("Enter", "Enter", 13, text="\r")
        self.assertTrue(self.viewer(page)["open"])
        names = page.eval("[...document.querySelectorAll('#viewer button')].map(b => b.getAttribute('aria-label'))")
        self.assertEqual(names, ["Close", "Previous photo", "Next photo", "Zoom out", "Zoom in"])
        self.assertEqual(page.eval("document.getElementById('viewer').getAttribute('aria-label')"), "Photo")
        reached = []
        for _ in names:
            reached.append(page.eval("document.activeElement.getAttribute('aria-label')"))
            page.key("Tab", "Tab", 9)
        self.assertEqual(sorted(reached), sorted(names))
        page.eval("document.getElementById('viewer-next').focus()")
        before = self.viewer(page)["face"]
        page.key("Enter", "Enter", 13, text="\r")
        self.assertEqual(self.viewer(page)["face"], before % 6 + 1)
        page.eval("document.getElementById('viewer-close').focus()")
        page.key("Enter", "Enter", 13, text="\r")
        self.assertFalse(self.viewer(page)["open"])

    def test_tap_opens_and_swipe_turns_the_page(self):
        page = self.open(screen=PHONE)
        page.eval(FACES_LOADED)
        x, y = stage_centre(page)
        page.touch("touchStart", [(x, y)])
        page.touch("touchEnd", [])
        shown = self.viewer(page)
        self.assertTrue(shown["open"])
        width, height = shown["window"]
        page.swipe((width * 0.8, height / 2), (width * 0.2, height / 2))
        self.assertEqual(self.viewer(page)["face"], shown["face"] % 6 + 1)
        page.swipe((width * 0.2, height / 2), (width * 0.8, height / 2))
        self.assertEqual(self.viewer(page)["face"], shown["face"])
        # Two fingers pinch the photo larger.
        page.touch("touchStart", [(width / 2 - 40, height / 2), (width / 2 + 40, height / 2)])
        for step in range(1, 6):
            page.touch("touchMove", [(width / 2 - 40 - 16 * step, height / 2), (width / 2 + 40 + 16 * step, height / 2)])
        page.touch("touchEnd", [])
        self.assertGreater(self.viewer(page)["zoom"], 1.5)

    def test_link_opens_the_cube_on_a_face(self):
        for face, turn_y in ((1, 180), (5, -90), (3, 0)):
            with self.subTest(face=face):
                page = self.open(self.url + "#face%d" % face)
                time.sleep(1.2)
                x, y = turns(page)
                self.assertAlmostEqual(x, 0, delta=0.5)
                self.assertAlmostEqual((y - turn_y + 180) % 360 - 180, 0, delta=0.5)

    def test_full_screen_button(self):
        page = self.open()
        self.assertEqual(page.eval("document.getElementById('fullscreen').hidden"), False)
        box = page.eval("(() => { const r = document.getElementById('fullscreen').getBoundingClientRect();"
                        " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
        page.click(*box)
        time.sleep(0.3)
        self.assertEqual(page.eval("document.fullscreenElement === document.documentElement"), True)
        self.assertEqual(page.eval("document.getElementById('fullscreen').getAttribute('aria-pressed')"), "true")

    def test_link_preview(self):
        page = self.open()
        meta = page.eval("Object.fromEntries([...document.querySelectorAll('meta[property], meta[name]')]"
                         ".map(m => [m.getAttribute('property') || m.name, m.content]))")
        self.assertEqual(meta["og:title"], "Summer at the lake")
        self.assertEqual(meta["og:type"], "website")
        self.assertEqual(meta["og:image"], "preview.jpg")
        self.assertEqual(meta["twitter:card"], "summary_large_image")
        self.assertTrue(meta["og:description"])
        self.assertTrue(meta["description"])
        self.assertEqual(page.eval("document.documentElement.lang"), "en")
        self.assertEqual(jpeg_size(os.path.join(self.folder, "preview.jpg")), (1200, 630))

    def test_faces_sharp_on_every_screen(self):
        for name, width, height, scale, touch in SCREENS:
            with self.subTest(screen=name):
                page = self.open(screen=(name, width, height, scale, touch))
                page.eval(FACES_LOADED)
                # A picture chosen from a srcset reports its width scaled to the
                # layout; the file's own width comes from a copy without one.
                ratios = page.eval("Promise.all([...document.querySelectorAll('#cube img')].map(async i => {"
                                   " const file = new Image(); file.src = i.currentSrc; await file.decode();"
                                   " return file.naturalWidth / (i.offsetWidth * devicePixelRatio); }))")
                source = page.eval("document.querySelector('#cube img').currentSrc.split('/').pop()")
                print("%s: %s, %.2f picture pixels per screen pixel" % (name, source, min(ratios)))
                self.assertGreaterEqual(min(ratios), 1.0)

    def test_single_file_carries_faces_first_and_stays_small(self):
        single = os.path.join(self.folder, "Cube.html")
        size = os.path.getsize(single)
        print("Cube.html: %d bytes" % size)
        self.assertLessEqual(size, 600 * 1024)
        with open(single, "rb") as f:
            text = f.read()
        self.assertNotIn(b"cubefold.jpg", text)
        self.assertLess(text.index(b'class="face6" src="data:'), text.index(b'id="sheet"'))
        self.assertEqual(text.count(b"data:image/jpeg"), 6)
        page = self.open("file://" + single, screen=PHONE)
        page.eval(FACES_LOADED)
        self.assertEqual(page.eval("[...document.querySelectorAll('#cube img')].map(i => i.naturalWidth)"),
                         [720] * 6)

    def test_single_file_plays_before_it_has_all_come(self):
        server = devtools.Server(self.folder)
        self.addCleanup(server.stop)
        # A slow mobile network: 150 ms, 200 kB a second.
        page = self.open(server.base + "Cube.html", throttle=(150, 200000))
        first, arrived = page.eval("[performance.getEntriesByName('cube-first-frame')[0].startTime,"
                                   " performance.getEntriesByType('navigation')[0].responseEnd]")
        print("Cube.html on a slow network: first 3D frame at %.0f ms, whole file at %.0f ms" % (first, arrived))
        self.assertLess(first, arrived)

    def check_printed_sheet(self, page, name):
        page.media("print")
        pictures = page.eval("[...document.querySelectorAll('#sheet img')].filter(i => getComputedStyle(i)"
                             ".visibility === 'visible' && i.getBoundingClientRect().width > 0)"
                             ".map(i => [i.getBoundingClientRect().width, i.naturalWidth])")
        self.assertEqual(len(pictures), 6, pictures)
        for width, natural in pictures:
            self.assertAlmostEqual(width * MM_PER_PX, 60, delta=0.2)
            self.assertGreaterEqual(natural / (width * MM_PER_PX / 25.4), 300)
        print("%s: 60 mm faces at %.0f pixels per inch" % (name, pictures[0][1] / (60 / 25.4)))
        for paper, size in (("A4", (8.27, 11.69)), ("Letter", (8.5, 11))):
            self.assertEqual(pdf_pages(page.pdf(*size)), 1, paper)

    def test_print_with_scripts(self):
        page = self.open()
        page.eval("new Promise(done => { window.print = done; document.getElementById('print').click(); })")
        self.check_printed_sheet(page, "Vexilo.htm")

    def test_print_without_scripts(self):
        page = self.open(scripts=False)
        page.eval(FACES_LOADED.replace("#cube img", "#sheet img[src]"))
        self.check_printed_sheet(page, "Vexilo.htm without scripts")

    def test_single_file_prints(self):
        page = self.open("file://" + os.path.join(self.folder, "Cube.html"))
        page.eval("new Promise(done => { window.print = done; document.getElementById('print').click(); })")
        self.check_printed_sheet(page, "Cube.html")


if __name__ == "__main__":
    unittest.main(verbosity=2)
