#!/usr/bin/env python3
"""The tray icon appears in Wine's tray window; a click hides the main window, another
shows it; a right click opens the tray menu, whose "Exit" ends the program with its
position and switch caption stored."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402

MAIN = r"^Dorvane v\."
MAGENTA = (255, 0, 255)


def test(exe):
    with e2e.App(exe) as app:
        app.reset_settings()
        app.start()
        tray = e2e.wait_for(lambda: app.find_window("Wine System Tray"), 30, "Wine's tray window")
        tx, ty, tw, th = app.geometry(tray)
        # The icon in the tray's first slot: every opaque pixel of one of the pictures of
        # the tray drive's figures (0..16 of the strip; magenta is transparent).
        shot = app.screenshot("tray.png")
        area = e2e.region(shot, tx, ty, 24, 24)
        pictures = e2e.strip_pictures(os.path.join(e2e.ROOT, "resources", "tray_icons.bmp"), 16)

        def shown(k, ox, oy):
            return all(e2e.near(area[oy + y][ox + x], p, 8) for y, row in enumerate(pictures[k])
                       for x, p in enumerate(row) if p != MAGENTA)
        e2e.check(any(shown(k, ox, oy) for k in range(17) for oy in range(9) for ox in range(9)),
                  "the tray's first slot does not show a drive picture")
        app.click(tray, 10, 10)
        e2e.wait_for(lambda: app.find_window(MAIN) is None, 15, "the main window to hide")
        app.click(tray, 10, 10)
        window = e2e.wait_for(lambda: app.find_window(MAIN), 15, "the main window to come back")
        app.click(window, 120, 60)  # nothing happens there; the window stays
        time.sleep(0.5)
        e2e.check(app.find_window(MAIN) is not None, "the window went away after a click on it")
        before = set(app.session.xdotool("search", "--onlyvisible", "--name", ".*").stdout.split())
        app.click(tray, 10, 10, button=3)
        menu = e2e.wait_for(lambda: next(iter(set(app.session.xdotool(
            "search", "--onlyvisible", "--name", ".*").stdout.split()) - before), None), 10, "the tray menu")
        mx, my, mw, mh = app.geometry(menu)
        e2e.check(mh > 60, f"the tray menu is {mw}x{mh}, expected five items")
        app.screenshot("tray-menu.png")
        # "Exit" is the last of the five items.
        app.click(menu, 30, mh - mh // 10)
        e2e.check(app.program_exited(30), "the program did not end after Exit")
        e2e.check(app.stored("pos_x") == "640", f"pos_x stored as {app.stored('pos_x')}")
        e2e.check(app.stored("pos_y") == "512", f"pos_y stored as {app.stored('pos_y')}")
        e2e.check(app.stored("Labels") == "labels", f"Labels stored as {app.stored('Labels')}")


if __name__ == "__main__":
    e2e.run(test)
