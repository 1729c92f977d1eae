#!/usr/bin/env python3
"""The tray icon appears in Wine's tray window; a click hides the main window, another
shows it; a right click opens the tray menu, drawn by the program: the item under the mouse
framed like a lowered button on the menu's own colour. "Hide" and "Show" from the menu hide
and show the window, and "Exit" ends the program with its position and switch caption
stored and its icon taken out of the notification area. DORVANE_UPDATE_DOCS=1 copies the open menu into docs/ for the README."""
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
        app.watch_tray_calls()
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

        def open_menu():
            before = visible()
            app.click(tray, 10, 10, button=3)
            menu = e2e.wait_for(lambda: next(iter(visible() - before), None), 10, "the tray menu")
            time.sleep(0.5)
            mx, my, mw, mh = app.geometry(menu)
            e2e.check(mh > 60, f"the tray menu is {mw}x{mh}, expected five items")
            return menu, (mx, my, mw, mh)

        def item_y(mh, index):  # five items of one height
            return mh * (2 * index + 1) // 10

        def visible():
            return set(app.session.xdotool("search", "--onlyvisible", "--name", ".*").stdout.split())

        # The styled menu: "Show" under the mouse is framed like a lowered button, a shadow
        # line on top and at the left (the highlight lines below and right may be the
        # menu's own colour), with the menu's colour inside instead of a highlight bar.
        menu, (mx, my, mw, mh) = open_menu()
        app.session.xdotool("mousemove", "--window", menu, mw // 2, item_y(mh, 1))
        time.sleep(0.8)
        shot = app.screenshot("tray-menu.png")
        cx = mx + mw - 12
        menu_colour = e2e.pixel(shot, cx, my + item_y(mh, 3))
        top, bottom = my + item_y(mh, 0), my + item_y(mh, 2)
        column = [e2e.pixel(shot, cx, y) for y in range(top, bottom + 1)]
        dark = [i for i, p in enumerate(column) if sum(p) < sum(menu_colour) - 90]
        e2e.check(len(dark) == 1, f"expected one dark frame line above 'Show', found rows {dark}")
        frame_top = top + dark[0]
        item_height = mh // 5
        inside = column[dark[0] + 1:dark[0] + item_height - 2]
        e2e.check(all(p == menu_colour for p in inside),
                  f"the framed item is not the menu's colour {menu_colour} inside: {inside}")
        left = [x for x in range(mx, mx + 12) if sum(e2e.pixel(shot, x, frame_top + item_height // 2)) < sum(menu_colour) - 90]
        e2e.check(left, "no dark frame line at the left of 'Show'")
        e2e.docs_picture(shot, mx - 10, my - 10, mw + 20, mh + 20, "tray-menu.png")

        # "Hide" and "Show" from the menu.
        app.click(menu, mw // 2, item_y(mh, 2))
        e2e.wait_for(lambda: app.find_window(MAIN) is None, 15, "the main window to hide from the menu")
        menu, (mx, my, mw, mh) = open_menu()
        app.click(menu, mw // 2, item_y(mh, 1))
        e2e.wait_for(lambda: app.find_window(MAIN), 15, "the main window to come back from the menu")
        # "Exit" is the last of the five items.
        menu, (mx, my, mw, mh) = open_menu()
        app.click(menu, 30, item_y(mh, 4))
        e2e.check(app.program_exited(30), "the program did not end after Exit")
        # Its icon left the notification area as it ended: a delete after the last add
        # (Wine drops a dead process's icons by itself; Windows keeps them until the mouse
        # passes over them).
        calls = app.tray_calls()
        e2e.check(0 in calls, f"no add among the tray calls {calls}")
        after_add = calls[len(calls) - 1 - calls[::-1].index(0):]
        e2e.check(after_add[-1] == 2, f"the last tray call after Exit is {after_add[-1]}, not a delete: {calls}")
        e2e.check(app.stored("pos_x") == "640", f"pos_x stored as {app.stored('pos_x')}")
        e2e.check(app.stored("pos_y") == "512", f"pos_y stored as {app.stored('pos_y')}")
        e2e.check(app.stored("Labels") == "labels", f"Labels stored as {app.stored('Labels')}")


if __name__ == "__main__":
    e2e.run(test)
