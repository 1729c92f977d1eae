#!/usr/bin/env python3
"""Expand the settings view, tick two drives in the drive list: their panels appear after
the next tick and the window widens. Collapse, close, restart: the same drives are ticked
and shown. Saves screenshots of both views."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402

PANEL = (126, 178, 235)
SETTINGS_BUTTON = (225, 80)       # the tall button beside the memory readout
LIST_LEFT, LIST_TOP = 203, 133     # the drive list in the expanded window
ROW_HEIGHT_GUESS = 17


def has_check_mark(shot, wx, wy, x, y):
    """Dark pixels of a tick inside the check box at (x, y) of the window."""
    dark = 0
    for dx in range(-4, 5):
        for dy in range(-4, 5):
            p = e2e.pixel(shot, wx + x + dx, wy + y + dy)
            dark += sum(p) < 200
    return dark >= 3


def test(exe):
    with e2e.App(exe) as app:
        app.reset_settings()
        window = app.start()
        time.sleep(1.5)
        x, y, w, h = app.geometry(window)
        e2e.check((w, h) == (261, 143), f"a fresh window is {w}x{h}")
        app.click(window, *SETTINGS_BUTTON)
        x, y, w, h = e2e.wait_for(lambda: (lambda g: g if g[3] == 448 else None)(app.geometry(window)), 10,
                                  "the settings view")
        e2e.check(w == 759, f"expanded width {w}")
        e2e.check(x == 1280 - 759 - 10, f"expanded window at x={x}: 10 pixels must remain to the screen edge")
        # Tick the first two rows (c: and z:) by their check boxes.
        rows = []
        for r in range(2):
            cy = LIST_TOP + 25 + r * ROW_HEIGHT_GUESS
            app.click(window, LIST_LEFT + 10, cy)
            time.sleep(0.5)
            rows.append(cy)
        time.sleep(1.5)  # the next tick
        shot = app.screenshot("settings-view.png")
        for cy in rows:
            e2e.check(has_check_mark(shot, x, y, LIST_LEFT + 10, cy), f"no tick in the row at y={cy}")
        # The panels appear in the strip above (the window is wider than they need).
        e2e.check(e2e.pixel(shot, x + 236 + 10 + 30, y + 30 + 2 + 40) != PANEL,
                  "no drive picture in the first panel")
        app.click(window, *SETTINGS_BUTTON)
        x, y, w, h = e2e.wait_for(lambda: (lambda g: g if g[3] == 143 else None)(app.geometry(window)), 10,
                                  "the normal view")
        e2e.check(w == 257 + 2 * 64, f"collapsed width {w}, expected 385 for two panels")
        e2e.check((x, y) == (640, 512), f"collapsed back at {(x, y)}")
        time.sleep(1.5)
        normal = app.screenshot("normal-view.png")
        e2e.check(app.stored("0 active") == "true" and app.stored("1 active") == "true",
                  "the ticks were not stored")
        app.click(window, *e2e.close_button(w))
        e2e.check(app.program_exited(30), "the program did not end after its close button")

        # Restart: the same drives are ticked and shown.
        window = app.start()
        x, y, w, h = e2e.wait_for(lambda: (lambda g: g if g[2] == 385 else None)(app.geometry(window)), 15,
                                  "the window to come up wide enough for the two panels")
        time.sleep(1.5)
        again = app.screenshot("restarted.png")
        for k in range(2):
            e2e.check(e2e.pixel(again, x + 236 + 64 * k + 10 + 30, y + 30 + 2 + 40) != PANEL,
                      f"panel {k + 1} missing after the restart")
        app.click(window, *SETTINGS_BUTTON)
        e2e.wait_for(lambda: app.geometry(window)[3] == 448, 10, "the settings view after the restart")
        time.sleep(1)
        x, y, w, h = app.geometry(window)
        ticked = app.screenshot("restarted-settings.png")
        for cy in rows:
            e2e.check(has_check_mark(ticked, x, y, LIST_LEFT + 10, cy), f"row at y={cy} not ticked after restart")
        app.click(window, *SETTINGS_BUTTON)
        time.sleep(1)
        app.click(window, *e2e.close_button(app.geometry(window)[2]))
        e2e.check(app.program_exited(30), "the program did not end the second time")
    # Both views, cut out of the screen, for the README (DORVANE_UPDATE_DOCS=1 copies
    # them into docs/).
    e2e.docs_picture(normal, 630, 502, 405, 163, "normal-view.png")
    e2e.docs_picture(shot, 501, 502, 779, 468, "settings-view.png")


if __name__ == "__main__":
    e2e.run(test)
