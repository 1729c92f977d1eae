#!/usr/bin/env python3
"""The draining drive of the end-to-end tests (tools/drainfs.c): it reports the total it
was given, and a free space that falls by its rate for every second of its compressed
clock. Each read is bracketed by the real time before and after it, so the figure it gives
must lie between what those two times call for (less up to a block of rounding down),
however the machine is loaded; two reads half a second apart must have fallen by at
least the rate times the scale times the time between them.

Skips (exit code 77, saying why) where /dev/fuse is missing."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import fuse_drive  # noqa: E402

BLOCK = 4096
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def free_at(drive, total, t):
    left = drive.free - drive.rate * drive.scale * (t - drive.start)
    return max(0, min(total, left))


class Drive(fuse_drive.DrainingDrive):
    def __init__(self, total, free, rate, start, scale):
        super().__init__(total, free, rate, start, scale)
        self.total, self.free, self.rate, self.scale = total, free, rate, scale


def read(drive):
    """(free bytes, total bytes, most free it may be, least free it may be, real time
    before the read, after it)."""
    before = time.time()
    st = os.statvfs(drive.mountpoint)
    after = time.time()
    free = st.f_bavail * st.f_frsize
    return (free, st.f_blocks * st.f_frsize, free_at(drive, drive.total, before),
            free_at(drive, drive.total, after) - BLOCK, before, after)


def main():
    if not os.path.exists("/dev/fuse"):
        print("SKIPPED: /dev/fuse is missing here, so no FUSE filesystem can be mounted")
        return 77
    now = time.time()
    # A 20 TB drive falling by a million bytes a second of a clock 60 times as fast as the
    # real one, started 100 real seconds ago: 6 GB gone already.
    with Drive(20_000_000_000_000, 1_000_000_000_000, 1_000_000, now - 100, 60) as d:
        first, total, most, least, _, first_done = read(d)
        check(total == 20_000_000_000_000 // BLOCK * BLOCK, f"the total is the 20 TB given ({total})")
        check(least <= first <= most, f"free {first} lies within [{least:.0f}, {most:.0f}]")
        check(first <= 1_000_000_000_000 - 6_000_000_000, "100 s at 60 x 1e6 a second have gone already")
        time.sleep(0.5)
        second, _, most2, least2, second_asked, _ = read(d)
        check(least2 <= second <= most2, f"free {second} lies within [{least2:.0f}, {most2:.0f}]")
        # The first read gave at least its later bound, the second at most its earlier one.
        gap = second_asked - first_done
        fallen = first - second
        check(gap >= 0.5 and fallen >= 60 * 1_000_000 * gap - BLOCK,
              f"it fell by {fallen} bytes in {gap:.3f} s (60e6 a second of real time)")
    # Emptied long ago: zero, not below; filling up (a negative rate): at most the total.
    with Drive(1_000_000_000, 500_000_000, 1_000_000_000, now - 10, 1) as d:
        check(read(d)[0] == 0, "a drive drained long ago has no space left, not less")
    with Drive(1_000_000_000, 500_000_000, -1_000_000_000, now - 10, 1) as d:
        free, total = read(d)[:2]
        check(free == total == 1_000_000_000 // BLOCK * BLOCK, "a drive filling back up stops at its total")
    # Bad arguments: a clear refusal, nothing mounted.
    program = fuse_drive.build("drainfs")
    for args, why in ((["--total", "10", "--free", "20", "--rate", "1"], "more free than total"),
                      (["--total", "x", "--free", "1", "--rate", "1"], "a total that is no number"),
                      ([], "no figures at all")):
        out = subprocess.run([program, "/nonexistent-mountpoint"] + args, capture_output=True, text=True, timeout=10)
        check(out.returncode == 2 and "usage" in out.stderr, f"refused: {why}")
    print("FAILED" if failures else "PASSED")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
