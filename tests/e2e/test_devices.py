#!/usr/bin/env python3
"""Drives that come and go while the program runs: a drive mapped into the Wine prefix
(a dosdevices link) between two monitored drives, followed by a volume arrival broadcast
to every top-level window, shows up in the drive list; the check marks and the tray drive
stay with their drives, and the close stores each row's mark with its root. Taking the
drive away again with a removal broadcast takes it out. Ticking "autostart" writes the
quoted program path under the per-user Run key; unticking removes it."""
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
TITLE = "Dorvane v."
LETTER = "y"


def close(app, window):
    app.click(window, *e2e.close_button(app.geometry(window)[2]))
    e2e.check(app.program_exited(30), "the program did not end after its close button")


def test(exe, poke):
    with e2e.App(exe) as app:
        session = app.session
        link = os.path.join(session.prefix, "dosdevices", LETTER + ":")
        target = os.path.join(session.workdir, "stick")
        os.makedirs(target, exist_ok=True)
        if os.path.lexists(link):
            os.remove(link)

        def poke_program(*args):
            r = session.wine(["wine", poke] + list(args), check=False)
            e2e.check(r.returncode == 0, f"desktop_poke {' '.join(args)}: {r.stderr.strip()}")
            return r.stdout.strip()

        def rows():
            return int(poke_program("rows", TITLE))

        def store(name, value):
            session.wine(["wine", "reg", "add", e2e.SETTINGS_KEY, "/v", name, "/d", value, "/f"])

        try:
            # c: and z: monitored, the tray on z:, as a version without roots stored them.
            app.reset_settings()
            for name, value in (("0 active", "true"), ("1 active", "true"), ("TrayDriveList_ItemIndex", "1"),
                                ("TrayDriveList_Text", "z:\\ (the label stored then)")):
                store(name, value)
            window = app.start()
            time.sleep(1.5)
            before = rows()
            e2e.check(before == 2, f"{before} rows without the new drive, not c: and z:")

            # The drive arrives as a whole volume (a stick plugged in: no media flag).
            os.symlink(target, link)
            poke_program("volume", "arrive", LETTER)
            e2e.wait_for(lambda: rows() == before + 1, 10, "the new drive in the drive list")
            close(app, window)
            stored = [(app.stored(f"{i} root"), app.stored(f"{i} active")) for i in range(3)]
            e2e.check(stored == [("c:\\", "true"), (LETTER + ":\\", "false"), ("z:\\", "true")],
                      f"rows stored as {stored}, not c: and z: monitored around the new {LETTER}:")
            tray = app.stored("TrayDriveList_ItemIndex"), app.stored("TrayDriveList_Text") or ""
            e2e.check(tray[0] == "2" and tray[1].startswith("z:\\ "), f"the tray choice stored as {tray}, not z:")

            # It goes again (media taken out): the list loses the row.
            window = app.start()
            time.sleep(1.5)
            e2e.check(rows() == before + 1, f"{rows()} rows at start with the drive mapped")
            os.remove(link)
            poke_program("volume", "remove", LETTER, "media")
            e2e.wait_for(lambda: rows() == before, 10, "the drive gone from the drive list")
            close(app, window)

            # Autostart: tick and untick the check box.
            session.wine(["wine", "reg", "delete", RUN_KEY, "/v", "Dorvane", "/f"], check=False)
            window = app.start()
            time.sleep(1.5)
            e2e.check(poke_program("checked", TITLE, "autostart") == "0", "autostart ticked without an entry")
            poke_program("click", TITLE, "autostart")
            time.sleep(0.5)
            out = session.reg_query(RUN_KEY, "Dorvane")
            m = re.search(r"Dorvane\s+REG_SZ\s+(.*)", out)
            e2e.check(m is not None, f"no Run entry after ticking autostart: {out!r}")
            value = m.group(1).strip()
            e2e.check(value.startswith('"') and value.endswith('"') and value.lower().endswith('dorvane.exe"'),
                      f"the Run entry is {value!r}, not the quoted program path")
            poke_program("click", TITLE, "autostart")
            time.sleep(0.5)
            e2e.check("Dorvane" not in session.reg_query(RUN_KEY, "Dorvane"), "unticking left the Run entry")
            close(app, window)
        finally:
            if os.path.lexists(link):
                os.remove(link)


if __name__ == "__main__":
    poke = sys.argv[3] if len(sys.argv) > 3 else os.path.join(e2e.ds.BUILD, "mingw64", "tests", "e2e",
                                                               "desktop_poke.exe")
    e2e.run(lambda exe: test(exe, poke))
