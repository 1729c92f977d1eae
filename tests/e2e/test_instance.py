#!/usr/bin/env python3
"""A first start (nothing stored) monitors the prefix's fixed drives, c: and z:, follows the
system drive c: in the tray with the warning on, and stores that at once. One copy per
session: with the program running and hidden to the tray, a second start ends at once,
leaves one process and one tray icon, brings the first one's window back and leaves the
stored settings as they were."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402

MAIN = r"^Dorvane v\."


def test(exe):
    with e2e.App(exe) as app:
        app.first_start()
        chosen = {name: app.stored(name) for name in ("0 root", "0 active", "1 root", "1 active",
                                                       "CbShowTray_Checked", "CbWarning_Checked",
                                                       "TrayDriveList_ItemIndex", "TbWT_Position")}
        e2e.check(chosen == {"0 root": "c:\\", "0 active": "true", "1 root": "z:\\", "1 active": "true",
                             "CbShowTray_Checked": "True", "CbWarning_Checked": "True",
                             "TrayDriveList_ItemIndex": "0", "TbWT_Position": "5"},
                  f"the first start stored {chosen}")
        tray = e2e.wait_for(lambda: app.find_window("Wine System Tray"), 30, "Wine's tray window")
        app.click(tray, 10, 10)
        e2e.wait_for(lambda: app.find_window(MAIN) is None, 15, "the main window to hide")
        time.sleep(1)
        tray_before = app.geometry(tray)
        settings_before = app.session.reg_query(r"HKCU\Software\dorvane", None) + \
            app.session.reg_query(e2e.SETTINGS_KEY)
        e2e.check(app.run_wintool("processes", "dorvane.exe").strip() == "1", "not one process before")

        with open(os.path.join(app.session.workdir, "second.out"), "w") as out:
            second = subprocess.Popen(["wine", exe], env=app.session.env(), stdin=subprocess.DEVNULL,
                                      stdout=out, stderr=out)
            started = time.time()
            try:
                code = second.wait(30)
            except subprocess.TimeoutExpired:
                second.kill()
                raise e2e.Failure("the second start did not end")
        ended = time.time() - started
        e2e.check(code == 0, f"the second start ended with {code}")
        e2e.wait_for(lambda: app.find_window(MAIN), 15, "the first window to come back")
        e2e.check(app.session.program.poll() is None, "the first copy ended")
        processes = app.run_wintool("processes", "dorvane.exe").strip()
        e2e.check(processes == "1", f"{processes} processes run the program")
        time.sleep(1)
        tray_after = app.geometry(tray)
        e2e.check(tray_after == tray_before, f"the tray went from {tray_before} to {tray_after}: another icon")
        settings_after = app.session.reg_query(r"HKCU\Software\dorvane", None) + \
            app.session.reg_query(e2e.SETTINGS_KEY)
        e2e.check(settings_after == settings_before, "the second start changed the stored settings")
        print(f"the second start ended after {ended:.2f} s")


if __name__ == "__main__":
    e2e.run(test)
