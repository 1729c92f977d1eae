"""Helpers for the end-to-end tests: dorvane.exe under Wine and Xvfb, driven with
xdotool, looked at through screenshots, its settings read with `wine reg query`."""
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import dorvane_session as ds  # noqa: E402

SETTINGS_KEY = r"HKCU\Software\dorvane\TForm1"
SHOTS = os.path.join(ds.BUILD, "screenshots")


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(predicate, timeout, what, interval=0.2):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    raise Failure(f"timed out waiting for {what}")


MESSAGE_BOX = "#32770"


class App:
    """One session: Xvfb, our maker's server, the Wine prefix, and the program."""

    def __init__(self, exe, server_args=(), prefix=None):
        self.exe = exe
        self.session = ds.Session(prefix=prefix, server_args=server_args)
        self.wintool = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ds.BUILD, "mingw64", "tests", "e2e",
                                                                          "wintool.exe")

    def __enter__(self):
        self.session.start()
        return self

    def __exit__(self, *exc):
        self.session.stop()
        return False

    def reset_settings(self, first_start=False):
        """Settings as an earlier run leaves them with nothing chosen (the storage's version
        alone); with first_start nothing at all, and the program chooses its drives."""
        self.session.wine(["wine", "reg", "delete", r"HKCU\Software\dorvane", "/f"], check=False)
        if not first_start:
            self.session.wine(["wine", "reg", "add", SETTINGS_KEY, "/v", "FormVersion", "/t", "REG_SZ", "/d", "0",
                               "/f"])

    def start(self):
        self.session.start_program(self.exe)
        self.window = wait_for(lambda: self.find_window(r"^Dorvane v\."), 60, "the main window")
        return self.window

    def first_start(self):
        """A start with nothing stored: the program chooses its drives and stores them."""
        self.reset_settings(first_start=True)
        window = self.start()
        wait_for(lambda: self.stored("FormVersion") == "0", 20, "the first start's choice to be stored")
        return window

    def find_window(self, name, visible=True):
        args = ["search"] + (["--onlyvisible"] if visible else []) + ["--name", name]
        out = self.session.xdotool(*args, check=False).stdout.split()
        return out[0] if out else None

    def geometry(self, window):
        out = self.session.xdotool("getwindowgeometry", window).stdout
        pos = re.search(r"Position: (-?\d+),(-?\d+)", out)
        size = re.search(r"Geometry: (\d+)x(\d+)", out)
        return int(pos.group(1)), int(pos.group(2)), int(size.group(1)), int(size.group(2))

    def click(self, window, x, y, button=1):
        self.session.xdotool("mousemove", "--window", window, x, y)
        time.sleep(0.2)
        self.session.xdotool("click", button)

    def screenshot(self, name):
        return self.session.screenshot(os.path.join(SHOTS, name))

    def watch_tray_calls(self):
        """Has Wine's shell log every call of the program to the notification area
        (read back with tray_calls); set before the program starts."""
        self.session.extra_env["WINEDEBUG"] = "-all,+systray"

    def tray_calls(self):
        """The program's calls to the notification area, in order: 0 add, 1 modify,
        2 delete (the shell's own record of them, in the program's output)."""
        with open(os.path.join(self.session.workdir, "program.out"), errors="replace") as f:
            return [int(m.group(1)) for m in re.finditer(r"dwMessage\s*=\s*(?:0x)?([0-9]+)", f.read())]

    def program_exited(self, timeout):
        try:
            self.session.program.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    # -- dialogs, read and answered from inside the program's Wine session --------------
    def windows(self):
        """[(title, class, [child texts])] of the visible top-level windows."""
        out = self.run_wintool("list")
        found = []
        for line in out.splitlines():
            if line.startswith("  ["):
                if found:
                    found[-1][2].append(line.split("] ", 1)[1] if "] " in line else "")
            else:
                title, _, kind = line.rpartition("\t")
                found.append((title, kind.strip("[]"), []))
        return found

    def window_texts(self, title, kind=None):
        """The child texts of the first visible window titled `title` (of class `kind`)."""
        for t, k, texts in self.windows():
            if t == title and (kind is None or k == kind):
                return texts
        return None

    def dialog(self, title, timeout, kind=None):
        """The child texts of the window titled `title` once it is shown."""
        return wait_for(lambda: self.window_texts(title, kind), timeout, f"the window {title!r}")

    def message_box(self, timeout):
        """The texts of the program's message box (a dialog titled as the program)."""
        return self.dialog("Dorvane", timeout, MESSAGE_BOX)

    def run_wintool(self, *args):
        # Output through a file, not a pipe: a Wine helper started on the way may inherit
        # the pipe and keep it open long after the tool has ended.
        with tempfile.TemporaryFile("w+", encoding="utf-8") as out:
            try:
                subprocess.run(["wine", self.wintool] + list(args), env=self.session.env(), stdin=subprocess.DEVNULL,
                               stdout=out, stderr=subprocess.DEVNULL, timeout=30)
            except subprocess.TimeoutExpired:
                return ""
            out.seek(0)
            return out.read()

    def press(self, title, button):
        out = self.run_wintool("click", title, button)
        check("clicked" in out, f"no button {button!r} in the window {title!r}")

    def script(self, path, mode, reply=None):
        """Scripts the maker's server's answer for a path."""
        query = {"path": path, "mode": mode}
        if reply is not None:
            query["reply"] = reply
        self.server_get("/_script?" + urllib.parse.urlencode(query))

    def server_get(self, target):
        with urllib.request.build_opener(urllib.request.ProxyHandler({})).open(
                f"http://127.0.0.1:{self.session.port}{target}", timeout=10) as r:
            return r.read().decode("utf-8")

    def requests(self, path=None):
        """The requests the maker's server received (optionally for one path)."""
        received = json.loads(self.server_get("/_requests"))
        return [r for r in received if path is None or r["path"] == path]

    def stored(self, value):
        out = self.session.reg_query(SETTINGS_KEY, value)
        m = re.search(re.escape(value) + r"\s+REG_SZ\s+(.*)", out)
        return m.group(1).strip() if m else None


def close_button(width):
    """Where to click the close button of a main window `width` wide: in the 55-pixel panel
    left of the 10-pixel right cap, 23 pixels in and 22 wide, in the tool strip under the
    10-pixel top edge."""
    return width - 10 - 55 + 23 + 11, 20


def pixel(png, x, y):
    out = subprocess.run(["/usr/bin/convert", png, "-format", f"%[fx:int(255*p{{{x},{y}}}.r)],"
                          f"%[fx:int(255*p{{{x},{y}}}.g)],%[fx:int(255*p{{{x},{y}}}.b)]", "info:"],
                         check=True, capture_output=True, text=True).stdout
    return tuple(int(v) for v in out.strip().split(","))


def region(png, x, y, w, h):
    """The pixels of a rectangle of a screenshot: rows of (r, g, b)."""
    raw = subprocess.run(["/usr/bin/convert", png, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8",
                          "rgb:-"], check=True, capture_output=True).stdout
    return [[tuple(raw[(r * w + c) * 3:(r * w + c) * 3 + 3]) for c in range(w)] for r in range(h)]


def docs_picture(screenshot, x, y, w, h, name):
    """A rectangle of a screenshot saved as the README's picture `name`: always into the
    screenshots folder, and into docs/ too when DORVANE_UPDATE_DOCS is set."""
    target = os.path.join(SHOTS, "crop-" + name)
    subprocess.run(["/usr/bin/convert", screenshot, "-crop", f"{w}x{h}+{x}+{y}", "+repage", target], check=True)
    if os.environ.get("DORVANE_UPDATE_DOCS"):
        docs = os.path.join(ROOT, "docs")
        os.makedirs(docs, exist_ok=True)
        shutil.copy(target, os.path.join(docs, name))


def strip_pictures(bmp, size):
    """The square pictures side by side in a bottom-up BMP (palettized or 24-bit): rows of
    (r, g, b) each."""
    with open(bmp, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    bits, = struct.unpack_from("<H", data, 28)
    header_size, = struct.unpack_from("<I", data, 14)
    stride = (width * bits + 31) // 32 * 4

    def at(x, y):
        row = offset + (height - 1 - y) * stride
        if bits == 24:
            i = row + x * 3
            return data[i + 2], data[i + 1], data[i]
        index = (data[row + x * bits // 8] >> (8 - bits - x * bits % 8)) & ((1 << bits) - 1)
        entry = 14 + header_size + 4 * index  # the palette follows the info header
        return data[entry + 2], data[entry + 1], data[entry]
    return [[[at(k * size + x, y) for x in range(size)] for y in range(size)] for k in range(width // size)]


def near(a, b, tolerance):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def run(test):
    exe = sys.argv[1] if len(sys.argv) > 1 else ds.EXE
    try:
        test(exe)
    except Failure as e:
        print(f"FAILED: {e}")
        sys.exit(1)
    print("PASSED")
