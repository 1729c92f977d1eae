#!/usr/bin/env python3
"""The installer in a fresh Wine prefix (a copy of the Xvfb prefix): a silent install puts
the program, its shortcut and its uninstall entry in place; the installed program starts;
installing over the running copy closes it; the silent uninstall removes the program, the
shortcut, the uninstall entry and the autostart value and keeps the user's settings, unless
asked to remove them too."""
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402
import dorvane_session as ds  # noqa: E402

VERSION = "3.3.0.0"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dorvane"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
SETTINGS_KEY = r"HKCU\Software\dorvane"
INSTALLED_EXE = r"C:\Program Files\Dorvane\dorvane.exe"
UNINSTALLER = r"C:\Program Files\Dorvane\uninstall.exe"


class Installation:
    def __init__(self, session, prefix):
        self.session = session
        self.prefix = prefix
        self.dir = os.path.join(prefix, "drive_c", "Program Files", "Dorvane")
        self.shortcut = os.path.join(prefix, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu",
                                     "Programs", "Dorvane.lnk")

    def wine(self, *args, timeout=120):
        env = self.session.env()
        # No menu entries on the host for the shortcut the installer makes.
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml=;winemenubuilder.exe=d"
        return subprocess.run(["wine"] + list(args), env=env, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=timeout)

    def query(self, key, value=None):
        out = self.session.reg_query(key, value)
        if value is None:
            return out if "ERROR" not in out and key.split("\\")[-1].lower() in out.lower() else None
        m = re.search(re.escape(value) + r"\s+(REG_\w+)\s+(.*)", out)
        return m.group(2).strip() if m else None

    def install(self, *options):
        r = self.wine(self.setup, "/S", *options)
        e2e.check(r.returncode == 0, f"the silent install failed with exit code {r.returncode}")

    def uninstall(self, *options):
        # The uninstaller copies itself away and runs from there: wait for what it removes.
        r = self.wine(UNINSTALLER, "/S", *options)
        e2e.check(r.returncode == 0, f"the uninstaller failed to start (exit code {r.returncode})")
        e2e.wait_for(lambda: not os.path.exists(self.dir), 60, "the uninstaller to remove the program folder")

    def start_program(self, app):
        app.session.start_program(INSTALLED_EXE)
        return e2e.wait_for(lambda: app.find_window(r"^Dorvane v\."), 60, "the installed program's window")


def check_installed(inst):
    for name in ("dorvane.exe", "uninstall.exe", "README.txt"):
        e2e.check(os.path.isfile(os.path.join(inst.dir, name)), f"{name} not installed in Program Files\\Dorvane")
    exe_size = os.path.getsize(os.path.join(inst.dir, "dorvane.exe"))
    e2e.check(os.path.isfile(inst.shortcut), "no Start-menu shortcut")
    with open(inst.shortcut, "rb") as f:
        link = f.read()
    e2e.check(b"dorvane.exe" in link.replace(b"\0", b"").lower(), "the shortcut does not lead to dorvane.exe")
    e2e.check(inst.query(UNINSTALL_KEY, "DisplayName") == "Dorvane", "uninstall entry: DisplayName")
    e2e.check(inst.query(UNINSTALL_KEY, "DisplayVersion") == VERSION, "uninstall entry: DisplayVersion")
    e2e.check(inst.query(UNINSTALL_KEY, "Publisher") == "Dorvane", "uninstall entry: Publisher")
    uninstall = inst.query(UNINSTALL_KEY, "UninstallString") or ""
    e2e.check(uninstall.lower() == ('"' + UNINSTALLER + '"').lower(), f"uninstall entry: UninstallString {uninstall}")
    size = inst.query(UNINSTALL_KEY, "EstimatedSize") or "0"
    kib = int(size, 16) if size.startswith("0x") else int(size)
    e2e.check(exe_size // 1024 <= kib <= (exe_size * 3) // 1024 + 64,
              f"uninstall entry: EstimatedSize {kib} KiB for a program of {exe_size} bytes")


def check_removed(inst, settings_kept):
    e2e.check(not os.path.exists(inst.dir), "the program folder is still there")
    e2e.check(not os.path.exists(inst.shortcut), "the Start-menu shortcut is still there")
    e2e.check(inst.query(UNINSTALL_KEY, "DisplayName") is None, "the uninstall entry is still there")
    e2e.check(inst.query(RUN_KEY, "Dorvane") is None, "the autostart value is still there")
    kept = inst.query(SETTINGS_KEY + r"\TForm1", "pos_x") is not None
    e2e.check(kept == settings_kept, "the user's settings were " + ("removed" if settings_kept else "kept"))


def test(setup):
    prefix = os.path.join(ds.BUILD, "wine-installer-test")
    shutil.rmtree(prefix, ignore_errors=True)
    shutil.copytree(os.path.join(ds.BUILD, "wine-x11"), prefix, symlinks=True)
    app = e2e.App(INSTALLED_EXE)
    app.session = ds.Session(prefix=prefix)
    try:
        app.session.start()
        inst = Installation(app.session, prefix)
        inst.setup = setup
        inst.install()
        check_installed(inst)

        # The installed program runs; installing again over it closes it first.
        inst.start_program(app)
        inst.install()
        e2e.check(app.program_exited(30), "installing over the running program did not close it")
        check_installed(inst)
        e2e.check(inst.query(SETTINGS_KEY + r"\TForm1", "pos_x") is not None,
                  "the program closed by the installer did not store its settings")

        # The user chose autostart; the uninstaller, run while the program runs, removes it
        # with everything else but the settings.
        inst.start_program(app)
        inst.wine("reg", "add", RUN_KEY, "/v", "Dorvane", "/t", "REG_SZ", "/d", '"' + INSTALLED_EXE + '"', "/f")
        inst.uninstall()
        e2e.check(app.program_exited(30), "the uninstaller did not close the running program")
        check_removed(inst, settings_kept=True)

        # Asked to, the uninstaller removes the settings too.
        inst.install()
        inst.uninstall("/REMOVESETTINGS")
        check_removed(inst, settings_kept=False)
    finally:
        app.session.stop()
        shutil.rmtree(prefix, ignore_errors=True)


if __name__ == "__main__":
    e2e.run(test)
