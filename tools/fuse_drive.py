#!/usr/bin/env python3
"""The FUSE filesystems that stand in for drives in the tests: tools/hangfs.c (a drive
that does not answer) and tools/drainfs.c (a drive that fills at a known rate).

build(name) compiles tools/<name>.c into build/<name>/<name> when the source (or the
header they share, tools/fuse_empty_root.h) is newer;
FuseDrive mounts one in a fresh folder while it is in use, and unmounts and stops it (by
its own PID) afterwards. Needs /dev/fuse and Debian's fuse3 and libfuse3-dev
(tools/setup.sh installs them).
"""
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import dorvane_session as ds  # noqa: E402


def build(name):
    """The path of the built filesystem program."""
    source = os.path.join(HERE, name + ".c")
    folder = os.path.join(ds.BUILD, name)
    program = os.path.join(folder, name)
    newest = max(os.path.getmtime(p) for p in (source, os.path.join(HERE, "fuse_empty_root.h")))
    if os.path.exists(program) and os.path.getmtime(program) >= newest:
        return program
    os.makedirs(folder, exist_ok=True)
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "fuse3"], check=True,
                           capture_output=True, text=True).stdout.split()
    subprocess.run(["cc", "-O2", "-Wall", "-o", program, source] + flags + ["-lm"], check=True)
    return program


class FuseDrive:
    """`name`'s filesystem mounted while the object is in use, with `options` before the
    mount point and `args` after it; its standard error goes to the file self.log."""

    def __init__(self, name, args, prefix, options=()):
        self.name = name
        self.options = [str(a) for a in options]
        self.args = [str(a) for a in args]
        self.mountpoint = tempfile.mkdtemp(prefix=prefix)
        self.log = self.mountpoint + ".log"
        self.process = None

    def __enter__(self):
        program = build(self.name)
        with open(self.log, "w") as log:
            self.process = subprocess.Popen([program] + self.options + [self.mountpoint] + self.args,
                                            stdout=subprocess.DEVNULL, stderr=log)
        deadline = time.time() + 10
        while not os.path.ismount(self.mountpoint):
            if time.time() > deadline or self.process.poll() is not None:
                self.__exit__(None, None, None)
                raise RuntimeError(f"{self.name} did not mount (is /dev/fuse there?)")
            time.sleep(0.05)
        return self

    def stop(self):
        """Ends the filesystem: calls still in it fail at once."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(10)

    def __exit__(self, *exc):
        subprocess.run(["fusermount3", "-u", "-z", self.mountpoint], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        if self.process is not None and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        for path, remove in ((self.mountpoint, os.rmdir), (self.log, os.remove)):
            try:
                remove(path)
            except OSError:
                pass
        return False


class DrainingDrive(FuseDrive):
    """tools/drainfs.c: `total` bytes, `free` of them free at `start` (seconds since 1970,
    default now), falling by `rate` bytes a second of a clock `scale` times as fast as the
    real one."""

    def __init__(self, total, free, rate, start=None, scale=1):
        self.start = time.time() if start is None else start
        super().__init__("drainfs", ["--total", total, "--free", free, "--rate", rate,
                                     "--start", repr(float(self.start)), "--scale", scale],
                         "dorvane-drain-")
