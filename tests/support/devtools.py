"""Headless Chromium driven over its DevTools protocol, on a pipe: a page in
a chosen window (size, pixel density, touch), real mouse, touch and key input,
print media, slow networks. Chromium reaches no host but the loopback
interface."""
import base64
import fcntl
import functools
import http.server
import json
import os
import select
import shutil
import subprocess
import tempfile
import threading
import time

CHROMIUM = "/usr/bin/chromium"


def have_chromium():
    return os.access(CHROMIUM, os.X_OK)


class Browser:
    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="vexilo-chromium-")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()

        def child_pipes():
            # Chromium reads commands on descriptor 3 and answers on 4.
            reading, writing = (fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_browser_r, from_browser_w))
            os.dup2(reading, 3)
            os.dup2(writing, 4)

        self.process = subprocess.Popen(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--remote-debugging-pipe",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--no-first-run", "--hide-scrollbars", "--user-data-dir=" + self.profile,
             "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1", "--allow-file-access-from-files",
             "about:blank"],
            preexec_fn=child_pipes, close_fds=False,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer = b""
        self._next_id = 0
        self.events = []

    def close(self):
        try:
            self.call("Browser.close")
        except (OSError, RuntimeError, TimeoutError):
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self._to_browser)
        os.close(self._from_browser)
        shutil.rmtree(self.profile, ignore_errors=True)

    def _read_message(self, timeout):
        deadline = time.time() + timeout
        while b"\0" not in self._buffer:
            left = deadline - time.time()
            if left <= 0 or not select.select([self._from_browser], [], [], left)[0]:
                raise TimeoutError("no answer from chromium")
            chunk = os.read(self._from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError("chromium has ended")
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=None, timeout=30):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        while True:
            answer = self._read_message(timeout)
            if answer.get("id") == self._next_id:
                if "error" in answer:
                    raise RuntimeError("%s: %s" % (method, answer["error"]))
                return answer.get("result", {})
            self.events.append(answer)

    def wait_for_event(self, method, session, timeout=30):
        deadline = time.time() + timeout
        while True:
            for i, event in enumerate(self.events):
                if event.get("method") == method and event.get("sessionId") == session:
                    return self.events.pop(i)
            self.events.append(self._read_message(max(0.01, deadline - time.time())))

    def page(self, width, height, scale=1, touch=False, scripts=True, throttle=None):
        return Page(self, width, height, scale, touch, scripts, throttle)


class Page:
    """A tab of the browser in a window of width x height points at scale
    device pixels per point; a touch window also reports a coarse pointer."""

    def __init__(self, browser, width, height, scale, touch, scripts, throttle):
        self.browser = browser
        self.scripts = scripts
        self.target = browser.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = browser.call("Target.attachToTarget", {"targetId": self.target, "flatten": True})["sessionId"]
        self.call("Page.enable")
        # Every tab behaves as the one in front, with the keyboard's focus.
        self.call("Emulation.setFocusEmulationEnabled", {"enabled": True})
        self.call("Network.enable")
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": scale, "mobile": touch})
        if touch:
            self.call("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
            self.call("Emulation.setEmitTouchEventsForMouse", {"enabled": True, "configuration": "mobile"})
        if not scripts:
            self.call("Emulation.setScriptExecutionDisabled", {"value": True})
        if throttle:
            latency_ms, bytes_per_second = throttle
            self.call("Network.emulateNetworkConditions",
                      {"offline": False, "latency": latency_ms, "downloadThroughput": bytes_per_second,
                       "uploadThroughput": bytes_per_second})

    def call(self, method, params=None, timeout=30):
        return self.browser.call(method, params, self.session, timeout)

    def close(self):
        self.browser.call("Target.closeTarget", {"targetId": self.target})

    def open(self, url, timeout=60):
        self.browser.events = [e for e in self.browser.events if e.get("sessionId") != self.session]
        self.call("Page.navigate", {"url": url})
        self.browser.wait_for_event("Page.loadEventFired", self.session, timeout)
        if self.scripts:  # laid out with its fonts, and drawn
            self.eval("document.fonts.ready.then(() => new Promise(drawn =>"
                      " requestAnimationFrame(() => requestAnimationFrame(drawn))))")

    def eval(self, expression, timeout=30):
        """The value of a script expression (a promise is awaited)."""
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True}, timeout)
        if "exceptionDetails" in result:
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def mouse(self, kind, x, y, buttons=1):
        self.call("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": "left",
                                               "buttons": buttons, "clickCount": 1})

    def click(self, x, y, count=1):
        for n in range(1, count + 1):
            self.call("Input.dispatchMouseEvent", {"type": "mousePressed", "x": x, "y": y, "button": "left",
                                                   "buttons": 1, "clickCount": n})
            self.call("Input.dispatchMouseEvent", {"type": "mouseReleased", "x": x, "y": y, "button": "left",
                                                   "buttons": 0, "clickCount": n})

    def drag(self, start, end, steps=10, step_s=0.016, pause_s=0.0):
        """A mouse drag in equal steps of step_s seconds, released pause_s after the last move."""
        self.mouse("mousePressed", *start)
        for i in range(1, steps + 1):
            time.sleep(step_s)
            self.mouse("mouseMoved", start[0] + (end[0] - start[0]) * i / steps,
                       start[1] + (end[1] - start[1]) * i / steps)
        time.sleep(pause_s)
        self.mouse("mouseReleased", *end, buttons=0)

    def touch(self, kind, points):
        self.call("Input.dispatchTouchEvent",
                  {"type": kind, "touchPoints": [{"x": x, "y": y} for x, y in points]})

    def swipe(self, start, end, steps=10, step_s=0.016):
        self.touch("touchStart", [start])
        for i in range(1, steps + 1):
            time.sleep(step_s)
            self.touch("touchMove", [(start[0] + (end[0] - start[0]) * i / steps,
                                      start[1] + (end[1] - start[1]) * i / steps)])
        self.touch("touchEnd", [])

    def key(self, key, code, key_code, shift=False, text=None):
        """A key pressed and let go; text for a key that types (Enter's "\\r")."""
        down = {"type": "keyDown", "text": text} if text else {"type": "rawKeyDown"}
        for event in (down, {"type": "keyUp"}):
            self.call("Input.dispatchKeyEvent", dict(event, key=key, code=code, windowsVirtualKeyCode=key_code,
                                                     modifiers=8 if shift else 0))

    def media(self, media):
        self.call("Emulation.setEmulatedMedia", {"media": media})

    def pdf(self, width_in, height_in):
        """The page printed on paper of that size at 100 %, as PDF bytes."""
        data = self.call("Page.printToPDF", {"paperWidth": width_in, "paperHeight": height_in, "scale": 1,
                                             "marginTop": 0, "marginBottom": 0, "marginLeft": 0,
                                             "marginRight": 0, "printBackground": True}, 60)["data"]
        return base64.b64decode(data)


class Server:
    """Serves a folder on a free loopback port."""

    def __init__(self, folder):
        handler = functools.partial(_QuietHandler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.base = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, *args):
        pass
