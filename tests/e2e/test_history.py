#!/usr/bin/env python3
"""A drive that fills at a known rate: y: is a FUSE filesystem (tools/drainfs.c) with 50 GB
free of 100 GB, falling so that it is full in 20 hours. The program's history clock and the
filesystem's run 60 times as fast from the same moment (a tick is a minute), so the hours
pass in seconds. With y: ticked and followed by the tray, and the warning on with "or full
within 24 h": the drive list shows y:'s estimate, the early warning is given once, saying
why, and after a restart the stored history gives the estimate at once.

Needs /dev/fuse and Debian's fuse3 and libfuse3-dev (tools/setup.sh installs them)."""
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402
import dorvane_session as ds  # noqa: E402
import fuse_drive  # noqa: E402
import hang_measure as hm  # noqa: E402

PREFIX = os.path.join(ds.BUILD, "wine-drain")
MAIN = "Dorvane v."
KEY = r"HKCU\Software\dorvane"
SCALE = 60
TOTAL = 100 * 10**9
FREE = 50 * 10**9
HOURS = 20
RATE = FREE // (HOURS * 3600)  # bytes a second of the compressed clock
ESTIMATE_COLUMN = 7  # after the caption, name, label, type, total, used and free
WARNING = "low-space warning: Low disk space warning! (full in ~"
SETTINGS_BUTTON = (225, 80)


def y_row(wintool, session):
    """The cells of y:'s row of the drive list, or None."""
    # Through a file, not a pipe: a Wine helper started on the way may keep a pipe open.
    with tempfile.TemporaryFile("w+", encoding="utf-8") as out:
        try:
            subprocess.run(["wine", wintool, "rows", MAIN], env=session.env(), stdin=subprocess.DEVNULL,
                           stdout=out, stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            return None
        out.seek(0)
        for line in out.read().splitlines():
            cells = line.split("\t")
            if len(cells) > ESTIMATE_COLUMN and cells[1] == "y:\\":
                return cells
    return None


def estimate_hours(wintool, session):
    cells = y_row(wintool, session)
    m = re.fullmatch(r"full in ~(\d+) h", cells[ESTIMATE_COLUMN]) if cells else None
    return int(m.group(1)) if m else None


def warnings(trace):
    try:
        with open(trace, encoding="utf-8") as f:
            return [line for line in f if WARNING in line]
    except OSError:
        return []


def find_window(session):
    out = session.xdotool("search", "--onlyvisible", "--name", "^Dorvane v\\.", check=False).stdout.split()
    return out[0] if out else None


def width(session, window):
    out = session.xdotool("getwindowgeometry", window).stdout
    return int(re.search(r"Geometry: (\d+)x(\d+)", out).group(1))


def click(session, window, x, y):
    session.xdotool("mousemove", "--window", window, x, y)
    time.sleep(0.2)
    session.xdotool("click", 1)


def start(session, exe, start_time, trace):
    session.extra_env.update({"DORVANE_CLOCK_SCALE": str(SCALE), "DORVANE_CLOCK_START": str(start_time),
                              "DORVANE_TRACE": "Z:" + trace})
    session.start_program(exe)
    return e2e.wait_for(lambda: find_window(session), 60, "the main window")


def close(session, window):
    click(session, window, *e2e.close_button(width(session, window)))
    e2e.wait_for(lambda: session.program.poll() is not None, 60, "the program to end")


def test(exe):
    wintool = sys.argv[2]
    hm.prepare_prefix(PREFIX)
    start_time = int(time.time())
    args = ["--total", TOTAL, "--free", FREE, "--rate", RATE, "--start", start_time, "--scale", SCALE]
    link = os.path.join(PREFIX, "dosdevices", "y:")
    with fuse_drive.FuseDrive("drainfs", args, "dorvane-drain-") as drive:
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(drive.mountpoint, link)
        try:
            with ds.Session(prefix=PREFIX) as s:
                trace = os.path.join(s.workdir, "trace.txt")
                s.wine(["wine", "reg", "delete", KEY, "/f"], check=False)
                row = hm.drive_letters(PREFIX).index("y")
                settings = {f"{row} active": "true", f"{row} root": "y:\\", "CbShowTray_Checked": "True",
                            "CbWarning_Checked": "True", "CbFullWithin_Checked": "True",
                            "TrayDriveList_Text": "y:\\", "TrayDriveList_ItemIndex": str(row),
                            "FormVersion": "0"}  # stored by an earlier run: no first start
                for name, value in settings.items():
                    s.wine(["wine", "reg", "add", KEY + r"\TForm1", "/v", name, "/d", value, "/f"])
                window = start(s, exe, start_time, trace)
                # Fresh, the estimate needs a quarter of an hour of minute points.
                hours = e2e.wait_for(lambda: estimate_hours(wintool, s), 90, "y:'s estimate in the drive list")
                e2e.check(HOURS - 3 <= hours <= HOURS, f"y: full in ~{hours} h, not about {HOURS}")
                e2e.wait_for(lambda: warnings(trace), 30, "the early warning")
                time.sleep(5)  # five more ticks: no second warning
                given = warnings(trace)
                e2e.check(len(given) == 1, f"the early warning was given {len(given)} times: {given}")
                click(s, window, *SETTINGS_BUTTON)
                time.sleep(2)
                s.screenshot(os.path.join(e2e.SHOTS, "history.png"))
                close(s, window)
                stored = s.reg_query(KEY + r"\History")
                e2e.check(re.search(r"y:\\ [0-9A-F]{8}\s+REG_BINARY", stored), f"no history of y: stored: {stored!r}")
                e2e.check("History" not in s.reg_query(KEY + r"\TForm1"), "the history is among the settings")

                # Restarted: the stored history gives the estimate at the first visible ticks.
                window = start(s, exe, start_time, trace)
                restarted = time.monotonic()
                hours = e2e.wait_for(lambda: estimate_hours(wintool, s), 30, "y:'s estimate after the restart")
                e2e.check(time.monotonic() - restarted < 10, "the estimate took as long as a fresh history's")
                e2e.check(HOURS - 6 <= hours <= HOURS, f"y: full in ~{hours} h after the restart")
                click(s, window, *SETTINGS_BUTTON)
                time.sleep(2)
                s.screenshot(os.path.join(e2e.SHOTS, "history-restarted.png"))
                close(s, window)
        finally:
            if os.path.lexists(link):
                os.remove(link)


if __name__ == "__main__":
    e2e.run(test)
