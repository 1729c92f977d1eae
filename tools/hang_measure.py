#!/usr/bin/env python3
"""Measures how dorvane.exe behaves beside a drive that does not answer.

A FUSE filesystem whose statfs blocks (tools/hangfs.c, built and mounted by
tools/fuse_drive.py) is mapped as drive x: in a Wine prefix of its own (build/wine-hang); c:, x: and z: are ticked in the drive
list. Wine's own server asks statfs when a file of the drive is first opened, and while it
waits, every Wine process waits (on Windows only the calling thread would); so the drive
hangs in two ways: for every caller, and for the program's calls only (Wine's server is
answered at once). Then, under Xvfb:
  - the time from launch to the visible main window;
  - for PROBE seconds, how long the window's thread takes to answer WM_NULL (the longest
    answer, the median, the 99th percentile), sent by bench/AnswerProbe.cpp;
  - the time from WM_CLOSE to the window's going and to the end of the process, and
    whether the settings were stored. (A thread inside a hung statfs holds its process
    until the filesystem answers: the kernel does not let it go before.)
The same again without x: (c: and z: ticked). Prints figures; asserts nothing.

    tools/hang_measure.py [--hang SECONDS] [--probe SECONDS] [--only all|program|without]
                          [--exe PATH-OF-ANOTHER-BUILD-OF-dorvane.exe]

Needs the mingw64 build of dorvane.exe and answer_probe.exe, and Debian's fuse3 and
libfuse3-dev (tools/setup.sh installs them).
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import dorvane_session as ds  # noqa: E402
import fuse_drive  # noqa: E402

PREFIX = os.path.join(ds.BUILD, "wine-hang")
PROBE = os.path.join(ds.BUILD, "mingw64", "bench", "answer_probe.exe")
SETTINGS_KEY = r"HKCU\Software\dorvane\TForm1"


def prepare_prefix(prefix=PREFIX):
    """A copy of the Xvfb prefix, made again whenever tools/setup.sh has made that anew."""
    source = os.path.join(ds.BUILD, "wine-x11")
    marker = ".dorvane-ready"
    try:
        with open(os.path.join(prefix, marker)) as a, open(os.path.join(source, marker)) as b:
            if a.read() == b.read():
                return
    except OSError:
        pass
    shutil.rmtree(prefix, ignore_errors=True)
    subprocess.run(["cp", "-a", source, prefix], check=True)


class HangingDrive(fuse_drive.FuseDrive):
    """The FUSE filesystem, mounted while the object is in use; stopped by its own PID."""

    def __init__(self, seconds, spare_wineserver):
        super().__init__("hangfs", [seconds], "dorvane-hang-",
                         options=["--spare-wineserver"] if spare_wineserver else [])

    def hanging_calls(self):
        """How many calls are hanging in the filesystem now."""
        with open(self.log) as f:
            lines = f.read().splitlines()
        return lines.count("statfs hangs") - lines.count("statfs answers")


def x_link():
    return os.path.join(PREFIX, "dosdevices", "x:")


def set_link(target):
    link = x_link()
    if os.path.lexists(link):
        os.remove(link)
    if target:
        os.symlink(target, link)


def drive_letters(prefix=PREFIX):
    names = os.listdir(os.path.join(prefix, "dosdevices"))
    return sorted(n[0] for n in names if re.fullmatch(r"[a-z]:", n))


def run_once(label, exe, probe_seconds):
    """One launch: returns a dict of figures."""
    figures = {"case": label, "load": os.getloadavg()[0]}
    with ds.Session(prefix=PREFIX) as s:
        s.wine(["wine", "reg", "delete", r"HKCU\Software\dorvane", "/f"], check=False)
        letters = drive_letters()
        for row, letter in enumerate(letters):
            if letter in "cxz":
                s.wine(["wine", "reg", "add", SETTINGS_KEY, "/v", f"{row} active", "/d", "true", "/f"])
        figures["drives"] = ", ".join(l + ":" for l in letters)
        probe_out = os.path.join(s.workdir, "probe.out")
        with open(probe_out, "w") as out:
            probe = subprocess.Popen(["wine", PROBE, "Dorvane v.", str(probe_seconds), "--close"],
                                     env=s.env(), stdin=subprocess.DEVNULL, stdout=out, stderr=out)
        time.sleep(3)  # the probe's start brings up the prefix's services first
        start = time.time()
        s.start_program(exe)
        while True:
            found = s.xdotool("search", "--onlyvisible", "--name", r"^Dorvane v\.", check=False).stdout.strip()
            if found:
                figures["window_s"] = time.time() - start
                break
            if time.time() - start > 300:
                figures["window_s"] = None
                break
            time.sleep(0.05)
        try:
            probe.wait(probe_seconds + 300)
        except subprocess.TimeoutExpired:
            probe.kill()
        closed = time.time()
        with open(probe_out) as f:
            figures["probe"] = f.read().strip()
        figures["gone_s"] = None
        while time.time() - closed < 120 and s.program.poll() is None:
            if not s.xdotool("search", "--onlyvisible", "--name", r"^Dorvane v\.", check=False).stdout.strip():
                figures["gone_s"] = time.time() - closed
                break
            time.sleep(0.05)
        if figures["gone_s"] is None and s.program.poll() is not None:
            figures["gone_s"] = time.time() - closed  # went with its process
        try:
            s.program.wait(120)
            figures["exit_s"] = time.time() - closed
        except subprocess.TimeoutExpired:
            figures["exit_s"] = None
        out = s.reg_query(SETTINGS_KEY, "pos_x")
        figures["stored"] = "pos_x" in out and "REG_SZ" in out
    return figures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--hang", type=float, default=20.0, help="seconds each statfs blocks")
    parser.add_argument("--probe", type=float, default=30.0, help="seconds of WM_NULL probing")
    parser.add_argument("--only", choices=("all", "program", "without"))
    parser.add_argument("--exe", default=ds.EXE, help="the dorvane.exe to measure")
    args = parser.parse_args()
    for exe in (args.exe, PROBE):
        if not os.path.exists(exe):
            sys.exit(f"missing {exe}: cmake --build --preset mingw64 --target dorvane answer_probe")
    fuse_drive.build("hangfs")
    prepare_prefix()
    results = []
    try:
        for spare, case in ((False, "all"), (True, "program")):
            if args.only not in (None, case):
                continue
            with HangingDrive(args.hang, spare) as drive:
                set_link(drive.mountpoint)
                who = "the program's calls" if spare else "every caller, Wine's server too"
                results.append(run_once(f"x: hanging {args.hang:g} s for {who}", args.exe, args.probe))
                set_link(None)
        if args.only in (None, "without"):
            set_link(None)
            results.append(run_once("without x:", args.exe, args.probe))
    finally:
        set_link(None)
    for r in results:
        window = f"{r['window_s']:.2f} s" if r.get("window_s") is not None else "not seen"
        exit_ = f"{r['exit_s']:.2f} s" if r.get("exit_s") is not None else "did not end"
        gone = f"{r['gone_s']:.2f} s" if r.get("gone_s") is not None else "not seen"
        print(f"{r['case']} (drives {r['drives']}; load average {r['load']:.1f} at the start):")
        print(f"  window visible after {window}")
        for line in r["probe"].splitlines():
            print(f"  {line}")
        print(f"  after WM_CLOSE: window gone after {gone}, process ended after {exit_}; "
              f"settings stored: {'yes' if r['stored'] else 'no'}")


if __name__ == "__main__":
    main()
