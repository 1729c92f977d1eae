#!/usr/bin/env python3
"""dorvane.exe starts with its window's top-left corner at the screen centre, shows its
skin, and stores its position and switch caption when closed."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402

PANEL = (126, 178, 235)


def test(exe):
    with e2e.App(exe) as app:
        app.reset_settings()
        window = app.start()
        x, y, w, h = e2e.wait_for(lambda: (lambda g: g if g[2] >= 261 else None)(app.geometry(window)),
                                  20, "the window's size")
        e2e.check((x, y) == (640, 512), f"window at {(x, y)}, expected the screen centre (640, 512)")
        e2e.check(h == 143, f"window height {h}, expected 143")
        e2e.wait_for(lambda: e2e.pixel(app.screenshot("startup.png"), x + 150, y + 125) == PANEL, 10,
                     "the panel colour")
        shot = app.screenshot("startup.png")
        # The status panel's colour, the tool strip's tile, the rounded outline.
        e2e.check(e2e.pixel(shot, x + 150, y + 125) == PANEL, "panel colour")
        tile = e2e.pixel(shot, x + 100, y + 20)
        e2e.check(tile != PANEL and tile[2] > tile[0], f"tool strip tile pixel {tile}")
        corner = e2e.pixel(shot, x, y)
        e2e.check(corner == (0, 0, 0), f"the outline's corner is cut away (pixel {corner})")
        # Close with the close button at the right of the tool strip.
        app.click(window, *e2e.close_button(w))
        e2e.check(app.program_exited(30), "the program did not end after its close button")
        e2e.check(app.stored("pos_x") == "640", f"pos_x stored as {app.stored('pos_x')}")
        e2e.check(app.stored("pos_y") == "512", f"pos_y stored as {app.stored('pos_y')}")
        e2e.check(app.stored("Labels") == "labels", f"Labels stored as {app.stored('Labels')}")
        print(f"screenshot: {shot}")


if __name__ == "__main__":
    e2e.run(test)
