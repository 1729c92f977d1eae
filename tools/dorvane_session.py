"""A session for running dorvane.exe under Wine: an Xvfb display (unless one is given),
our maker's server on 127.0.0.1, and a Wine prefix of the build folder.

Used by tools/run.sh and by the end-to-end tests. Everything started here is stopped
by its own PID (and the prefix's wineserver with `wineserver -k`).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
EXE = os.path.join(BUILD, "mingw64", "main", "dorvane.exe")
PROXY_VARS = ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ftp_proxy",
              "FTP_PROXY", "all_proxy", "ALL_PROXY")


class Session:
    def __init__(self, prefix=None, display=None, server_args=(), workdir=None):
        self.prefix = prefix or os.path.join(BUILD, "wine-x11")
        self.display = display
        self.server_args = list(server_args)
        self.workdir = workdir or tempfile.mkdtemp(prefix="dorvane-session-")
        self.xvfb = None
        self.server = None
        self.program = None
        self.port = None
        self.extra_env = {}

    # -- environment -------------------------------------------------------------
    def env(self):
        env = dict(os.environ)
        for v in PROXY_VARS:
            env.pop(v, None)
        env["no_proxy"] = "127.0.0.1,localhost"
        env["WINEPREFIX"] = self.prefix
        # The prefix's own fonts only, whatever the host has installed (see tools/setup.sh).
        env["FONTCONFIG_FILE"] = os.path.join(self.prefix, "fontconfig", "fonts.conf")
        env["WINEDEBUG"] = env.get("DORVANE_WINEDEBUG", "-all")
        # A known locale (English, United States) whatever the host's language.
        env["LC_ALL"] = "C.UTF-8"
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
        env["DISPLAY"] = self.display
        if self.port:
            env["DORVANE_SERVER"] = f"127.0.0.1:{self.port}"
        env.update(self.extra_env)
        return env

    # -- lifecycle -----------------------------------------------------------------
    def start(self):
        if not prefix_ready(self.prefix):
            raise RuntimeError(f"no Wine prefix prepared by this tools/setup.sh at {self.prefix}; run it")
        if not self.display:
            self._start_xvfb()
        self._start_server()
        # A fresh wineserver for this display: the display driver is fixed per server.
        self.wine(["wineserver", "-k"], check=False)
        return self

    def _start_xvfb(self):
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-nolisten", "tcp", "-screen", "0", "1280x1024x24"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        data = b""
        deadline = time.time() + 20
        while not data.endswith(b"\n") and time.time() < deadline:
            chunk = os.read(r, 16)
            if not chunk:
                break
            data += chunk
        os.close(r)
        if not data.strip():
            raise RuntimeError("Xvfb did not report a display")
        self.display = ":" + data.decode().strip()

    def _start_server(self):
        port_file = os.path.join(self.workdir, "maker.port")
        self.server_log = os.path.join(self.workdir, "maker.log")
        self.server = subprocess.Popen(
            [sys.executable, os.path.join(ROOT, "tools", "maker_server.py"), "--port", "0",
             "--port-file", port_file, "--log", self.server_log] + self.server_args,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while not os.path.exists(port_file):
            if time.time() > deadline:
                raise RuntimeError("the maker's server did not start")
            time.sleep(0.05)
        with open(port_file) as f:
            self.port = int(f.read())

    def wine(self, argv, check=True, timeout=60):
        def once():
            return subprocess.run(argv, env=self.env(), stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                  timeout=timeout)
        done = once()
        # A registry edit is idempotent, and one has been seen to fail once while the
        # previous test's wineserver was still going away: it is tried a second time.
        if done.returncode != 0 and check and argv[1:2] == ["reg"]:
            time.sleep(1)
            done = once()
        if check and done.returncode != 0:
            raise RuntimeError("%s ended with %d: %s" % (" ".join(argv), done.returncode,
                                                        (done.stderr or done.stdout).strip()[-500:]))
        return done

    def start_program(self, exe=EXE, args=()):
        out = open(os.path.join(self.workdir, "program.out"), "w")
        self.program = subprocess.Popen(["wine", exe] + list(args), env=self.env(),
                                        stdin=subprocess.DEVNULL, stdout=out, stderr=out)
        return self.program

    def screenshot(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["import", "-display", self.display, "-window", "root", path],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    def xdotool(self, *args, check=True, timeout=30):
        env = dict(os.environ, DISPLAY=self.display)
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=env, check=check,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                              timeout=timeout)

    def reg_query(self, key, value=None):
        args = ["wine", "reg", "query", key] + (["/v", value] if value else [])
        return self.wine(args, check=False).stdout

    def stop(self):
        if self.program and self.program.poll() is None:
            self.program.terminate()
            try:
                self.program.wait(10)
            except subprocess.TimeoutExpired:
                self.program.kill()
        if self.display:
            try:
                self.wine(["wineserver", "-k"], check=False, timeout=30)
            except Exception:
                pass
        for p in (self.server, self.xvfb):
            if p and p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False


def prefix_ready(prefix):
    """Whether tools/setup.sh prepared the prefix the way it does now."""
    try:
        with open(os.path.join(prefix, ".dorvane-ready")) as ready, \
                open(os.path.join(ROOT, "tools", "prefix-version")) as version:
            # A copy at another display scale says so after the version ("2 dpi 144").
            return ready.read().split(" dpi ")[0].strip() == version.read().strip()
    except OSError:
        return False


def have_display():
    return bool(os.environ.get("DISPLAY"))
