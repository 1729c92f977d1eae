#!/usr/bin/env python3
"""The program at 150 % (a display prefix at 144 dpi, the default of most laptops): the
window with two drive panels and its settings view at their scaled sizes, the skin drawn
at the scale rather than stretched. Saves both views beside the 100 % ones for the README
(DORVANE_UPDATE_DOCS=1 copies them into docs/)."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402

PREFIX = os.path.join(e2e.ds.BUILD, "wine-x11-144")
# The 96-dpi figures x 1.5, halves away from zero: 257 + 2 x 64 wide, 143 high; 759 x 448.
NORMAL = (386 + 2 * 96, 215)
SETTINGS = (1139, 672)
SETTINGS_BUTTON = (338, 120)      # (225, 80) at 100 %
# The close button's middle: the 55-wide button panel (83) left of the 15-pixel right cap,
# the button 35 in and 33 wide, in the 30-pixel tool strip under the 15-pixel top edge.
CLOSE_BUTTON = (NORMAL[0] - 15 - 83 + 35 + 16, 15 + 15)
MARGIN = 15                       # the screenshots' 10 pixels around the window, scaled
# The outermost pixel of the frame, worked out from the skin's drawing: the frame's blue
# (100, 152, 216) 0.495 of the way to its light (186, 216, 249) on the left edge, 0.7515 on
# the top edge (0.9 x how squarely each faces the light from the upper left).
LEFT_BEVEL = (143, 184, 232)
TOP_BEVEL = (165, 200, 241)


def test(exe):
    with e2e.App(exe, prefix=PREFIX) as app:
        app.reset_settings()
        for name, value in (("0 root", "c:\\"), ("0 active", "true"), ("1 root", "z:\\"), ("1 active", "true")):
            app.session.wine(["wine", "reg", "add", e2e.SETTINGS_KEY, "/v", name, "/t", "REG_SZ", "/d", value, "/f"])
        window = app.start()
        x, y, w, h = e2e.wait_for(lambda: (lambda g: g if g[2:] == NORMAL else None)(app.geometry(window)), 15,
                                  f"the window at {NORMAL[0]}x{NORMAL[1]} (it is {app.geometry(window)[2:]})")
        time.sleep(1.5)
        x, y, w, h = app.geometry(window)
        normal = app.screenshot("normal-view-150.png")
        normal_place = (x, y)
        e2e.check(e2e.pixel(normal, x, y + h // 2) == LEFT_BEVEL,
                  f"left edge {e2e.pixel(normal, x, y + h // 2)}, expected {LEFT_BEVEL}")
        e2e.check(e2e.pixel(normal, x + w // 2, y) == TOP_BEVEL,
                  f"top edge {e2e.pixel(normal, x + w // 2, y)}, expected {TOP_BEVEL}")
        app.click(window, *SETTINGS_BUTTON)
        x, y, w, h = e2e.wait_for(lambda: (lambda g: g if g[2:] == SETTINGS else None)(app.geometry(window)), 10,
                                  "the settings view at 1139x672")
        time.sleep(1.5)
        x, y, w, h = app.geometry(window)  # where the window moved to stay on the screen
        settings = app.screenshot("settings-view-150.png")
        e2e.check(e2e.pixel(settings, x, y + h // 2) == LEFT_BEVEL, "the settings view's left edge")
        crops = (("normal-view-150.png", normal, NORMAL, normal_place),
                 ("settings-view-150.png", settings, SETTINGS, (x, y)))
        app.click(window, *SETTINGS_BUTTON)
        e2e.wait_for(lambda: app.geometry(window)[2:] == NORMAL, 10, "the normal view again")
        app.click(window, *CLOSE_BUTTON)
        e2e.check(app.program_exited(30), "the program did not end after its close button")
    for name, source, (w, h), (x, y) in crops:
        e2e.docs_picture(source, x - MARGIN, y - MARGIN, w + 2 * MARGIN, h + 2 * MARGIN, name)


if __name__ == "__main__":
    e2e.run(test)
