#!/usr/bin/env python3
"""The strip as a screen reader in another process reads it: the test's helper asks Wine's
accessibility library for the main window's client object and prints each element's role,
name and value (the object's calls cross from the helper's process into the program's).
A first start monitors c: and z:; the hide button's default action, asked from outside,
hides the window to the tray."""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402

MAIN = r"^Dorvane v\."
PROGRESS, PUSH = 0x30, 0x2B
SPACE = r"\d+\.\d\d [KMGT]b free, \d+ %"


def test(exe):
    with e2e.App(exe) as app:
        app.first_start()
        # The panels come with the first start's drives, their figures with the first reading.
        read = re.compile(r"^\d+\t[cz]:\\\t" + SPACE + "$", re.M)

        def tree():
            out = app.run_wintool("accessible", "Dorvane v.")
            return out if len(read.findall(out)) == 2 else None

        out = e2e.wait_for(tree, 20, "the drive panels and their figures in the accessible tree")
        print(out)
        lines = out.strip().splitlines()
        e2e.check(lines[0].startswith("children 6 "), f"the tree's size: {lines[0]}")
        elements = [line.split("\t") for line in lines[1:7]]
        expected = [(PROGRESS, r"Total Mem: [\d,]+ KB", r"Memory Load: \d+ %"),
                    (PUSH, r"settings", r"\(none\)"),
                    (PROGRESS, r"c:\\", SPACE),
                    (PROGRESS, r"z:\\", SPACE),
                    (PUSH, r"Minimize to tray", r"\(none\)"),
                    (PUSH, r"Close Dorvane", r"\(none\)")]
        for number, ((role, name, value), element) in enumerate(zip(expected, elements), 1):
            e2e.check(len(element) == 3 and element[0] == str(role) and re.fullmatch(name, element[1])
                      and re.fullmatch(value, element[2]), f"element {number} reads {element}")
        out = app.run_wintool("accessible", "Dorvane v.", "5")
        print(out.strip().splitlines()[-1])
        e2e.check("action 5 hr 00000000" in out, "the hide button's default action failed")
        e2e.wait_for(lambda: app.find_window(MAIN) is None, 15, "the main window to hide")


if __name__ == "__main__":
    e2e.run(test)
