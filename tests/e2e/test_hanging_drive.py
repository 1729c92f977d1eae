#!/usr/bin/env python3
"""A drive that does not answer: x: is a FUSE filesystem whose statfs blocks (for the
program's calls; Wine's server is answered) until the test ends it. With c:, x: and z:
ticked, the window shows and takes clicks while x: is still being asked, closing stores the
settings while it is still being asked, and once the filesystem goes the process ends.

Needs /dev/fuse and Debian's fuse3 and libfuse3-dev (tools/setup.sh installs them)."""
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402
import dorvane_session as ds  # noqa: E402
import hang_measure as hm  # noqa: E402

MAIN = r"^Dorvane v\."
SETTINGS_BUTTON = (225, 80)  # the tall button beside the memory readout


def find_window(session):
    out = session.xdotool("search", "--onlyvisible", "--name", MAIN, check=False).stdout.split()
    return out[0] if out else None


def geometry(session, window):
    out = session.xdotool("getwindowgeometry", window).stdout
    size = re.search(r"Geometry: (\d+)x(\d+)", out)
    return 0, 0, int(size.group(1)), int(size.group(2))


def click(session, window, x, y):
    session.xdotool("mousemove", "--window", window, x, y)
    time.sleep(0.2)
    session.xdotool("click", 1)


def test(exe):
    hm.prepare_prefix()
    # An hour: far beyond the test; the test ends the filesystem itself.
    with hm.HangingDrive(3600, spare_wineserver=True) as drive:
        hm.set_link(drive.mountpoint)
        try:
            with ds.Session(prefix=hm.PREFIX) as s:
                s.wine(["wine", "reg", "delete", r"HKCU\Software\dorvane", "/f"], check=False)
                # Stored by an earlier run: the ticks below are the user's, not a first start's.
                s.wine(["wine", "reg", "add", hm.SETTINGS_KEY, "/v", "FormVersion", "/d", "0", "/f"])
                for row, letter in enumerate(hm.drive_letters()):
                    if letter in "cxz":
                        s.wine(["wine", "reg", "add", hm.SETTINGS_KEY, "/v", f"{row} active", "/d", "true", "/f"])
                s.start_program(exe)
                window = e2e.wait_for(lambda: find_window(s), 60, "the main window while x: hangs")
                e2e.check(drive.hanging_calls() >= 1, "x: was never asked: the test proves nothing")
                # Three monitored drives: three panels' width.
                e2e.wait_for(lambda: geometry(s, window)[2] == 257 + 3 * 64, 20, "the window to widen to three panels")
                click(s, window, *SETTINGS_BUTTON)
                e2e.wait_for(lambda: geometry(s, window)[3] == 448, 20, "the settings view while x: hangs")
                time.sleep(2)  # a visible tick or two: c: and z: show their figures, x: none
                s.screenshot(os.path.join(e2e.SHOTS, "hanging-drive.png"))
                # Close with the close button at the right of the tool strip.
                w = geometry(s, window)[2]
                click(s, window, *e2e.close_button(w))
                e2e.wait_for(lambda: "REG_SZ" in s.reg_query(e2e.SETTINGS_KEY, "pos_x"), 30,
                             "the settings to be stored while x: hangs")
                e2e.wait_for(lambda: find_window(s) is None, 30, "the window to go")
                e2e.check(drive.hanging_calls() >= 1, "x: answered after all: the test proves nothing")
                out = s.reg_query(e2e.SETTINGS_KEY, "2 active")
                e2e.check("true" in out, f"the ticked drives were not stored: {out!r}")
                # A thread inside a hung statfs holds its process until the filesystem
                # answers; ending the filesystem fails the call, and the process ends.
                drive.stop()
                e2e.wait_for(lambda: s.program.poll() is not None, 60, "the process to end")
        finally:
            hm.set_link(None)


if __name__ == "__main__":
    e2e.run(test)
