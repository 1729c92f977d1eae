#!/usr/bin/env python3
"""The version check against our maker's server: the quiet start-up check keeps a plain
reply to itself; a download address brings the question, No keeps the program running,
Yes has the browser open the address and closes the program with its settings stored;
"Check version" shows a plain reply."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402

VERSION_PATH = "/php/versioncheck.php"
QUESTION = ("A newer version is available, do you want to close this program and download the "
            "installer now?")
PLAIN = "You are running the latest version of Dorvane."
SETTINGS_BUTTON = (225, 80)
VERSION_BUTTON = (87, 228)   # "Version 3.3.0.0" in the expanded window
BROWSER_KEY = r"HKCU\Software\Wine\WineBrowser"


def start_checked(app):
    """Starts the program and waits for its start-up check to reach the server."""
    before = len(app.requests(VERSION_PATH))
    window = app.start()
    e2e.wait_for(lambda: len(app.requests(VERSION_PATH)) > before, 30, "the start-up version check")
    return window


def test(exe):
    with e2e.App(exe) as app:
        opened = os.path.join(app.session.workdir, "opened.txt")
        app.session.extra_env["DORVANE_E2E_OPENED"] = opened
        app.session.wine(["wine", "reg", "add", BROWSER_KEY, "/v", "Browsers", "/d",
                          os.path.join(e2e.HERE, "record_open.sh"), "/f"])
        try:
            app.reset_settings()
            # A plain reply at start-up: nothing is shown.
            window = start_checked(app)
            request = app.requests(VERSION_PATH)[-1]
            e2e.check(request["query"] == {"program": "Dorvane", "version": "3.3.0.0"}, f"query {request['query']}")
            e2e.check(request["version"] == "HTTP/1.0", f"request version {request['version']}")
            e2e.check(request["agent"] == "OrvikSystems HTTPGet", f"agent {request['agent']}")
            time.sleep(2)
            e2e.check(app.window_texts("Dorvane", e2e.MESSAGE_BOX) is None,
                      "a plain reply was shown after the quiet check")

            # "Check version" in the settings view: the same reply is shown.
            app.click(window, *SETTINGS_BUTTON)
            e2e.wait_for(lambda: app.geometry(window)[3] == 448, 10, "the settings view")
            time.sleep(0.5)
            asked = len(app.requests(VERSION_PATH))
            app.click(window, *VERSION_BUTTON)
            texts = app.message_box(20)
            e2e.check(PLAIN in texts, f"the message box shows {texts}")
            e2e.check(len(app.requests(VERSION_PATH)) == asked + 1, "Check version sent no request")
            app.press("Dorvane", "OK")
            app.click(window, *SETTINGS_BUTTON)
            e2e.wait_for(lambda: app.geometry(window)[3] == 143, 10, "the normal view")
            app.click(window, app.geometry(window)[2] - 10 - 34 + 18 + 7, 20)  # close
            e2e.check(app.program_exited(30), "the program did not end after its close button")

            # A download address, with blanks and a line break around it.
            address = f"http://127.0.0.1:{app.session.port}/setup.exe"
            app.script(VERSION_PATH, "normal", f"  {address}\r\n")
            app.reset_settings()
            start_checked(app)
            texts = app.message_box(20)
            e2e.check(QUESTION in texts, f"the question box shows {texts}")
            app.press("Dorvane", "No")
            time.sleep(2)
            e2e.check(not app.program_exited(0), "No ended the program")
            e2e.check(not os.path.exists(opened), "No opened the address")
            app.session.program.terminate()
            app.program_exited(10)

            app.reset_settings()
            start_checked(app)
            app.message_box(20)
            app.press("Dorvane", "Yes")
            e2e.check(app.program_exited(30), "Yes did not close the program")
            e2e.wait_for(lambda: os.path.exists(opened), 20, "the browser to be asked for the address")
            with open(opened) as f:
                e2e.check(f.read().strip() == address, "the browser was not given the trimmed address")
            e2e.check(app.stored("pos_x") == "640", f"settings not stored on closing (pos_x {app.stored('pos_x')})")
        finally:
            app.session.wine(["wine", "reg", "delete", BROWSER_KEY, "/v", "Browsers", "/f"], check=False)


if __name__ == "__main__":
    e2e.run(test)
