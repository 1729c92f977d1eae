#!/usr/bin/env python3
"""Start-up benchmark: launch-to-visible and close-to-exit of dorvane.exe under Wine and
Xvfb, beside two yardsticks launched in the same run, round by round:

  bare      the smallest Win32 window program (bench/BareWindow.cpp)
  bare+imports  the same importing the system DLLs dorvane.exe imports, with its manifest
  styled    a bare window set up like ours: borderless, topmost, layered, rounded region
  styled+tray  the same with an icon in the notification area, removed at exit
  styled+all   the same again with the program's imports and manifest: everything Wine
            charges for a window like ours, and nothing of the program's own work
  dorvane   the program
  before    with --compare EXE, another dorvane.exe (an earlier build) in the same rounds

Every one of them marks when its own code starts (wWinMain, written to DORVANE_TRACE), so
each launch is also split there: before it Wine starts the process and loads the DLLs;
no code of the program runs.

Launch-to-visible: from starting `wine <exe>` until the X server maps the program's window
(watched through X events, not by polling). Close-to-exit: from sending the window the
close request (WM_DELETE_WINDOW, which Wine turns into WM_CLOSE) until the process has
ended.

Fair conditions. On Windows the shell (desktop and notification area) is always running.
Under Wine it is a process of its own (explorer.exe) that Wine starts with the first program
that uses windows and ends about a second after the last one: launched alone, every program
pays for starting it (about half a second here). And under Xvfb there is no window manager:
when the last tray icon goes away, the notification area's window is hidden and Wine's
desktop process waits about 2.3 s for it to be withdrawn, holding back the first window of
any program launched meanwhile. So the benchmark keeps a "keeper" running for the whole run
(a hidden window with a tray icon, bench/BareStyledWindow.cpp) and spaces the launches
(--spacing, default 4 s). --no-keeper measures without it, to show those waits.
Nor does anybody acknowledge a window being shown, which Wine waits for (2 s at most)
before it hides that window again: the benchmark does that one duty of a window manager
for every window (WindowStates below); --no-window-states measures without it.

With --trace the program also writes its own marks (DORVANE_TRACE) and the median time of
each mark after launch is printed.

With --dpi 144 every program is launched a second time in a prefix at that display scale
(a copy of build/wine-x11-144 or build/wine-144, made by tools/setup.sh), in the same rounds,
named NAME@144.

Usage: bench/startup_bench.py [--rounds 5] [--spacing 4] [--no-keeper] [--no-window-states] [--trace]
                              [--only NAME ...] [--compare EXE] [--dpi 144]
"""
import argparse
import ctypes
import ctypes.util
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tools"))
import dorvane_session as ds  # noqa: E402

BUILD = os.path.join(ROOT, "build", "mingw64")
PROGRAMS = [
    # name, exe, arguments, the window title
    ("bare", os.path.join(BUILD, "bench", "bare_window.exe"), [], "Bare window"),
    ("bare+imports", os.path.join(BUILD, "bench", "bare_window_imports.exe"), [], "Bare window"),
    ("styled", os.path.join(BUILD, "bench", "bare_styled_window.exe"), [], "Bare styled window"),
    ("styled+tray", os.path.join(BUILD, "bench", "bare_styled_window.exe"), ["tray"], "Bare styled window"),
    ("styled+all", os.path.join(BUILD, "bench", "bare_styled_window_imports.exe"), ["tray"], "Bare styled window"),
    ("dorvane", os.path.join(BUILD, "main", "dorvane.exe"), [], "Dorvane v."),
]
# What users run: the release build when there is one (tools/package.sh), else the test build.
RELEASE_EXE = os.path.join(ROOT, "build", "release-x64", "main", "dorvane.exe")


# -- a minimal X client through libX11 (no Python bindings needed) ---------------------------
class XAnyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong)]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("any", XAnyEvent), ("client", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


UNMAP_NOTIFY = 18
MAP_NOTIFY = 19
CLIENT_MESSAGE = 33
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
PROP_MODE_REPLACE = 0
WITHDRAWN_STATE, NORMAL_STATE = 0, 1
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


_threads_ready = False


class XWatch:
    """Sees windows being mapped on the root window and sends close requests."""

    def __init__(self, display):
        # Each instance its own library handle and connection: one per thread.
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for name in ("XDefaultRootWindow", "XInternAtom"):
            getattr(self.x, name).restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
        self.x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                      ctypes.POINTER(XEvent)]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.x.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                           ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        # A window can go away between its event and our look at it: ignore such errors
        # (the default handler would end this process).
        global _threads_ready
        if not _threads_ready:
            self.x.XInitThreads()  # before any other call: two connections in two threads
            _threads_ready = True
        self._on_error = ERROR_HANDLER(lambda d, e: 0)
        self.x.XSetErrorHandler(self._on_error)
        self.d = self.x.XOpenDisplay(display.encode())
        if not self.d:
            raise RuntimeError(f"cannot open display {display}")
        self.root = self.x.XDefaultRootWindow(self.d)
        self.wm_protocols = self.x.XInternAtom(self.d, b"WM_PROTOCOLS", 0)
        self.wm_delete = self.x.XInternAtom(self.d, b"WM_DELETE_WINDOW", 0)
        self.wm_state = self.x.XInternAtom(self.d, b"WM_STATE", 0)
        self.x.XSelectInput(self.d, self.root, SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XSync(self.d, 0)
        self.fd = self.x.XConnectionNumber(self.d)

    def name(self, window):
        out = ctypes.c_char_p()
        if not self.x.XFetchName(self.d, window, ctypes.byref(out)) or not out.value:
            return ""
        text = out.value.decode("latin-1")
        self.x.XFree(out)
        return text

    def drain(self):
        ev = XEvent()
        while self.x.XPending(self.d):
            self.x.XNextEvent(self.d, ctypes.byref(ev))

    def wait_map(self, title, deadline):
        """Returns (monotonic time, window) when a window whose name starts with title maps."""
        ev = XEvent()
        self.others = []  # what mapped meanwhile, for the message when the window never comes
        while True:
            while self.x.XPending(self.d):
                self.x.XNextEvent(self.d, ctypes.byref(ev))
                if ev.any.type == MAP_NOTIFY:
                    seen = time.monotonic()
                    name = self.name(ev.any.window)
                    if name.startswith(title):
                        return seen, ev.any.window
                    self.others.append(name)
            left = deadline - time.monotonic()
            if left <= 0:
                return None, None
            select.select([self.fd], [], [], left)

    def close(self, window):
        ev = XEvent()
        ev.client.type = CLIENT_MESSAGE
        ev.client.window = window
        ev.client.message_type = self.wm_protocols
        ev.client.format = 32
        ev.client.data[0] = self.wm_delete
        ev.client.data[1] = 0  # CurrentTime
        self.x.XSendEvent(self.d, window, 0, 0, ctypes.byref(ev))
        self.x.XFlush(self.d)


class WindowStates(threading.Thread):
    """The one duty of a window manager that Wine waits for, done for every top-level window:
    WM_STATE set to normal when it is mapped and to withdrawn when it is unmapped.

    Under Xvfb there is no window manager, and before Wine hides a window it has mapped it
    waits for the manager to have acknowledged the map (WM_STATE), for 2 s at most: without
    this every window that goes away while shown costs 2 s (a bare window's close included),
    which no program pays on Windows. --no-window-states measures without it."""

    def __init__(self, display):
        super().__init__(daemon=True)
        self.watch = XWatch(display)  # a connection of its own, used by this thread only
        self.stopping = False

    def set_state(self, window, state):
        data = (ctypes.c_long * 2)(state, 0)
        self.watch.x.XChangeProperty(self.watch.d, window, self.watch.wm_state, self.watch.wm_state, 32,
                                     PROP_MODE_REPLACE, data, 2)

    def run(self):
        w = self.watch
        ev = XEvent()
        while not self.stopping:
            while w.x.XPending(w.d):
                w.x.XNextEvent(w.d, ctypes.byref(ev))
                # The unmap Wine sends to the root window when it withdraws a window counts as
                # well: the event's window is the one unmapped.
                if ev.any.type == MAP_NOTIFY:
                    self.set_state(ev.any.window, NORMAL_STATE)
                elif ev.any.type == UNMAP_NOTIFY:
                    self.set_state(ev.any.window, WITHDRAWN_STATE)
                w.x.XFlush(w.d)
            select.select([w.fd], [], [], 0.2)


# -- the run ------------------------------------------------------------------------------------
def prefix_env(session, prefix):
    env = session.env()
    env["WINEPREFIX"] = prefix
    env["FONTCONFIG_FILE"] = os.path.join(prefix, "fontconfig", "fonts.conf")
    return env


def launch(session, watch, program, settle, trace_file=None):
    name, exe, args, title, prefix = program
    env = prefix_env(session, prefix)
    if trace_file:
        env["DORVANE_TRACE"] = trace_file
    watch.drain()
    launched_unix = time.time()
    launched = time.monotonic()
    proc = subprocess.Popen(["wine", exe] + args, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    seen, window = watch.wait_map(title, launched + 60)
    if seen is None:
        ended = proc.poll() is not None
        proc.kill()
        proc.wait()
        raise RuntimeError(f"{name}: no window titled {title!r} within 60 s (mapped meanwhile: {watch.others}, "
                           f"the process {'ended with ' + str(proc.returncode) if ended else 'still ran'})")
    time.sleep(settle)
    closing = time.monotonic()
    watch.close(window)
    # A blocking wait returns the moment the process ends; a wait with a timeout polls,
    # at most every 50 ms, which made the figures steps of 50 ms. A timer ends a process
    # that hangs instead.
    hung = threading.Timer(60, proc.kill)
    hung.start()
    proc.wait()
    ended = time.monotonic()
    hung.cancel()
    if proc.returncode < 0:
        raise RuntimeError(f"{name}: did not end within 60 s of the close request")
    return (seen - launched) * 1000, (ended - closing) * 1000, launched_unix


def read_trace(path, launched_unix):
    """Marks as (text, ms after launch), in order."""
    marks = []
    if not os.path.exists(path):
        return marks
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            parts = line.rstrip("\n").split(" ", 2)
            if len(parts) == 3:
                marks.append((parts[2], int(parts[0]) / 1000 - launched_unix * 1000))
    return marks


def copy_prefix(source, target, dpi=None):
    """The benchmark's own copy of a prepared prefix (its registry is changed by the runs)."""
    if os.path.exists(os.path.join(target, ".dorvane-ready")):
        return
    print(f"copying the Wine prefix {source} to {target} ...", flush=True)
    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(source, target, symlinks=True)
    # Its fonts' cache beside its own fonts, not in the prefix it was copied from.
    conf = os.path.join(target, "fontconfig", "fonts.conf")
    with open(conf) as f:
        text = f.read().replace(os.path.join(source, "fontconfig"), os.path.join(target, "fontconfig"))
    with open(conf, "w") as f:
        f.write(text)
    shutil.rmtree(os.path.join(target, "fontconfig", "cache"), ignore_errors=True)


def log_pixels(env):
    out = subprocess.run(["wine", "reg", "query", r"HKCU\Control Panel\Desktop", "/v", "LogPixels"], env=env,
                         capture_output=True, text=True).stdout
    for line in out.splitlines():
        if "LogPixels" in line:
            return int(line.split()[-1], 0)
    return 96  # not set: Wine's default


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--rounds", type=int, default=5)
    ap.add_argument("--spacing", type=float, default=4.0, help="seconds between one exit and the next launch")
    ap.add_argument("--settle", type=float, default=1.5, help="seconds a window stays up before it is closed")
    ap.add_argument("--trace", action="store_true", help="also print the program's own marks")
    ap.add_argument("--no-keeper", action="store_true", help="let Wine's desktop process end between launches")
    ap.add_argument("--no-window-states", action="store_true",
                    help="nobody acknowledges maps and unmaps (Wine then waits 2 s for each shown window that goes)")
    ap.add_argument("--only", nargs="*", help="names of the programs to launch")
    ap.add_argument("--prefix", default=os.path.join(ROOT, "build", "wine-bench-x11"))
    ap.add_argument("--exe", default=RELEASE_EXE if os.path.exists(RELEASE_EXE) else PROGRAMS[-1][1],
                    help="the dorvane.exe to launch (default: the release build if built)")
    ap.add_argument("--compare", help="another dorvane.exe (an earlier build) launched in the same rounds")
    ap.add_argument("--dpi", type=int, choices=(120, 144, 192),
                    help="also launch each program in a prefix at this display scale (a copy of build/wine-x11-DPI "
                         "or build/wine-DPI), "
                         "named NAME@DPI, in the same rounds")
    opts = ap.parse_args()

    programs = [p if p[0] != "dorvane" else (p[0], opts.exe, p[2], p[3]) for p in PROGRAMS]
    if opts.compare:
        programs.append(("before", opts.compare, [], "Dorvane v."))
    programs = [p + (opts.prefix,) for p in programs if not opts.only or p[0] in opts.only]
    scaled_prefix = None
    if opts.dpi:
        scaled_prefix = f"{opts.prefix}-{opts.dpi}"
        programs += [(f"{p[0]}@{opts.dpi}",) + p[1:4] + (scaled_prefix,) for p in programs]
    for p in programs:
        if not os.path.exists(p[1]):
            sys.exit(f"missing {p[1]}: build the targets dorvane, bare_window, bare_window_imports, bare_styled_window, "
                     "bare_styled_window_imports")
    copy_prefix(os.path.join(ROOT, "build", "wine-x11"), opts.prefix)
    prefixes = [opts.prefix]
    if scaled_prefix:
        # The display prefix at that scale when tools/setup.sh made one, else the headless
        # one (both are made alike, the scale apart).
        source = next((p for p in (os.path.join(ROOT, "build", f"wine-x11-{opts.dpi}"),
                                   os.path.join(ROOT, "build", f"wine-{opts.dpi}"))
                       if os.path.exists(os.path.join(p, ".dorvane-ready"))), None)
        if not source:
            sys.exit(f"missing the prefix build/wine-{opts.dpi}: run tools/setup.sh")
        copy_prefix(source, scaled_prefix)
        prefixes.append(scaled_prefix)

    work = tempfile.mkdtemp(prefix="dorvane-startup-")
    results = {p[0]: ([], [], []) for p in programs}
    traces = {}
    scales = {}
    with ds.Session(prefix=opts.prefix, workdir=work) as session:
        states = None
        if not opts.no_window_states:
            states = WindowStates(session.display)
            states.start()
        keepers = []
        try:
            for prefix in prefixes:
                env = prefix_env(session, prefix)
                if prefix != opts.prefix:
                    subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
                subprocess.run(["wine", "reg", "delete", r"HKCU\Software\dorvane", "/f"], env=env,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                scales[prefix] = log_pixels(env)
                # A persistent wineserver with the prefix's services up: launches then measure
                # the program, not Wine's own start.
                subprocess.run([os.path.join(ROOT, "tools", "wine-server"), "start", prefix, session.display],
                               check=True, stdout=subprocess.DEVNULL)
                if not opts.no_keeper:
                    keepers.append(subprocess.Popen(["wine", PROGRAMS[2][1], "keeper"], env=env,
                                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                                    stderr=subprocess.DEVNULL))
            watch = XWatch(session.display)
            if keepers:
                time.sleep(opts.spacing)
            # One launch of each first, not counted: files are in the cache afterwards.
            for p in programs:
                launch(session, watch, p, opts.settle)
                time.sleep(opts.spacing)
            for r in range(opts.rounds):
                for p in programs:
                    # Every program marks when its own code starts (wWinMain): the launch
                    # splits there into what Wine does before any code of the program runs
                    # and what comes after.
                    trace_file = os.path.join(work, f"trace-{p[0]}-{r}.txt")
                    visible, exit_ms, launched_unix = launch(session, watch, p, opts.settle, trace_file)
                    marks = read_trace(trace_file, launched_unix)
                    entry = next((t for text, t in marks if text == "wWinMain"), None)
                    results[p[0]][0].append(visible)
                    results[p[0]][1].append(exit_ms)
                    results[p[0]][2].append(entry)
                    if opts.trace and p[0].split("@")[0] == "dorvane":
                        traces.setdefault(p[0], []).append(marks + [("(window mapped)", visible)])
                    shown_entry = f"{entry:8.1f}" if entry is not None else "       -"
                    print(f"round {r + 1}: {p[0]:<12} wWinMain {shown_entry} ms   visible {visible:8.1f} ms   "
                          f"exit {exit_ms:8.1f} ms", flush=True)
                    time.sleep(opts.spacing)
        finally:
            for keeper in keepers:
                keeper.terminate()
                keeper.wait()
            for prefix in prefixes:
                subprocess.run([os.path.join(ROOT, "tools", "wine-server"), "stop", prefix],
                               stdout=subprocess.DEVNULL)
            if states:
                states.stopping = True
                states.join()

    print()
    print(f"dorvane.exe: {opts.exe}")
    if opts.compare:
        print(f"before:      {opts.compare}")
    print(f"median of {opts.rounds} launches, {opts.spacing:g} s apart, "
          f"{'without' if opts.no_keeper else 'with'} a keeper, "
          f"{'without' if opts.no_window_states else 'with'} window states (Wine {wine_version()}, Xvfb)")
    for prefix in prefixes:
        print(f"prefix {prefix}: {scales[prefix]} dpi")
    print(f"{'program':<13}{'launch→visible':>16}{'× bare':>8}{'→ wWinMain':>13}{'wWinMain→visible':>19}"
          f"{'close→exit':>13}{'× bare':>8}")
    for name, (vis, ext, entries) in results.items():
        # Each against the bare window of its own prefix.
        bare_name = "bare" + name[len(name.split("@")[0]):]
        bare = statistics.median(results[bare_name][0]) if bare_name in results else None
        bare_exit = statistics.median(results[bare_name][1]) if bare_name in results else None
        v, e = statistics.median(vis), statistics.median(ext)
        rv = f"{v / bare:.2f}" if bare else "-"
        re_ = f"{e / bare_exit:.2f}" if bare_exit else "-"
        # The split's parts are medians of their own: they need not add up to the total.
        pairs = [(a, b) for a, b in zip(vis, entries) if b is not None]
        if pairs:
            to_entry = f"{statistics.median(b for _, b in pairs):>10.1f} ms"
            after_entry = f"{statistics.median(a - b for a, b in pairs):>16.1f} ms"
        else:
            to_entry, after_entry = f"{'-':>13}", f"{'-':>19}"
        print(f"{name:<13}{v:>13.1f} ms{rv:>8}{to_entry}{after_entry}{e:>10.1f} ms{re_:>8}")
    # This build against the earlier one, and each program at the other scale against 96 dpi.
    pairs = [("dorvane", "before")] + [(f"dorvane@{opts.dpi}", f"before@{opts.dpi}")] * bool(opts.dpi)
    pairs += [(f"{p[0]}@{opts.dpi}", p[0]) for p in programs if opts.dpi and "@" not in p[0]]
    for a, b in pairs:
        if a in results and b in results:
            va, vb = statistics.median(results[a][0]), statistics.median(results[b][0])
            ea, eb = statistics.median(results[a][1]), statistics.median(results[b][1])
            print(f"{a} / {b}: launch→visible {va / vb:.2f}, close→exit {ea / eb:.2f}")
    if traces:
        print_trace(traces)


def print_trace(traces):
    """Median time after launch of each mark, in the order of the 96-dpi program's first
    trace; with a second scale its medians and their step beside them."""
    print()
    names = sorted(traces, key=lambda n: ("@" in n, n))
    print("dorvane.exe's own marks, median ms after launch (+ begins, - ends a step)"
          + (f"; beside them {names[1]}" if len(names) > 1 else "") + ":")

    def medians(runs):
        # The n-th occurrence of a text in one trace pairs with the n-th in the others.
        keyed = []
        for marks in runs:
            seen = {}
            k = []
            for text, t in marks:
                seen[text] = seen.get(text, 0) + 1
                k.append(((text, seen[text]), t))
            keyed.append(dict(k))
        order = []
        seen = {}
        for text, _ in runs[0]:
            seen[text] = seen.get(text, 0) + 1
            order.append((text, seen[text]))
        return order, {key: statistics.median([k[key] for k in keyed if key in k]) for key in order}

    order, main = medians(traces[names[0]])
    other = medians(traces[names[1]])[1] if len(names) > 1 else {}
    rows = sorted((main[key], key) for key in order)
    last, last_other = 0.0, 0.0
    for t, (text, n) in rows:
        beside = ""
        if other:
            o = other.get((text, n))
            if o is None:
                beside = " " * 22
            else:
                beside = f"{o:9.1f}  (+{o - last_other:7.1f})  "
                last_other = o
        print(f"{t:9.1f}  (+{t - last:7.1f})  {beside}{text}{'' if n == 1 else f' #{n}'}")
        last = t
    only_there = sorted((t, key) for key, t in other.items() if key not in main)
    if only_there:
        print(f"only in {names[1]}:")
        for t, (text, n) in only_there:
            print(f"{'':24}{t:9.1f}  {text}{'' if n == 1 else f' #{n}'}")


def wine_version():
    try:
        return subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    except OSError:
        return "?"


if __name__ == "__main__":
    main()
