#!/usr/bin/env python3
"""Runs dorvane.exe under Wine (see tools/run.sh)."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import dorvane_session as ds  # noqa: E402

SECONDS = float(os.environ.get("DORVANE_RUN_SECONDS", "8"))


def main():
    display = os.environ.get("DISPLAY") or None
    with ds.Session(display=display) as s:
        prog = s.start_program()
        if display:
            print(f"dorvane.exe running on display {display}; close it to end", flush=True)
            prog.wait()
        else:
            deadline = time.time() + SECONDS
            while time.time() < deadline and prog.poll() is None:
                time.sleep(0.2)
            shot = s.screenshot(os.path.join(ds.BUILD, "screenshots", "run.png"))
            with open(os.path.join(s.workdir, "program.out")) as f:
                sys.stdout.write(f.read())
            print(f"screenshot: {shot}")


if __name__ == "__main__":
    main()
