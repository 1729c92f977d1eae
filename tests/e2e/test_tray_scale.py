#!/usr/bin/env python3
"""The tray icon at 150 % (a display prefix at 144 dpi): Wine's tray shows the program's
own 24-pixel picture, drawn at that size rather than the 16-pixel one stretched: the lamp
5 x 2 pixels, the box's outline one pixel wide on both sides (a stretched picture has a
lamp one pixel high and an outline two pixels wide on one side)."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402

PREFIX = os.path.join(e2e.ds.BUILD, "wine-x11-144")
LAMP = (64, 232, 88)
OUTLINE = (84, 88, 98)
LIGHT = (216, 219, 224)


def test(exe):
    with e2e.App(exe, prefix=PREFIX) as app:
        app.reset_settings()
        app.start()
        tray = e2e.wait_for(lambda: app.find_window("Wine System Tray"), 30, "Wine's tray window")
        tx, ty, tw, th = app.geometry(tray)

        # The first slot: the 24-pixel icon and its border. The tray window can be mapped
        # before the icon is drawn in it: look again until the lamp is there.
        def shown():
            area = e2e.region(app.screenshot("tray-150.png"), tx, ty, 32, min(th, 32))
            lamp = [(x, y) for y, row in enumerate(area) for x, p in enumerate(row) if p == LAMP]
            return (area, lamp) if lamp else None
        area, lamp = e2e.wait_for(shown, 15, "the lamp in the tray's first slot", interval=0.5)
        xs, ys = {x for x, _ in lamp}, {y for _, y in lamp}
        left, top = min(xs), min(ys)
        e2e.check(left >= 14 and top >= 4, f"the lamp at ({left}, {top}) of the slot, too near its edge")
        e2e.check((len(xs), len(ys), len(lamp)) == (5, 2, 10), f"the lamp covers {sorted(xs)} x {sorted(ys)}")

        def at(dx, dy):
            return area[top + dy][left + dx]
        # At 24 pixels the box runs from x 2 to 21 and the lamp from 15 to 19, in rows 5 and 6;
        # the box's top is row 2, under it two rows of highlight and the light band.
        for dx, want in ((-14, None), (-13, OUTLINE), (-12, LIGHT), (5, LIGHT), (6, OUTLINE), (7, None)):
            got = at(dx, 0)
            e2e.check(got == want if want else got not in (OUTLINE, LIGHT),
                      f"{dx:+} from the lamp: {got}, expected {want or 'the tray behind the picture'}")
        e2e.check(at(0, -3) == OUTLINE and at(0, -4) != OUTLINE, f"the box's top: {at(0, -3)} over {at(0, -4)}")


if __name__ == "__main__":
    e2e.run(test)
