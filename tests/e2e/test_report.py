#!/usr/bin/env python3
"""An exception at start-up (a stored value of the wrong type) opens the error report;
Ok sends the report to our maker's server, its reply is shown and OK ends the program. A
report the server does not answer leaves the program running."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402

REPORT_PATH = "/php/exceptions.php"
REPORT_TITLE = "OrvikSystems Error Report"
REPLY = "Thank you, your report has been received."


def break_settings(app):
    app.reset_settings()
    app.session.wine(["wine", "reg", "add", e2e.SETTINGS_KEY, "/v", "pos_x", "/t", "REG_DWORD", "/d", "5", "/f"])


def test(exe):
    with e2e.App(exe) as app:
        break_settings(app)
        app.session.start_program(exe)
        texts = app.dialog(REPORT_TITLE, 60)
        e2e.check("Ok" in texts, f"the report window shows {texts}")
        app.press(REPORT_TITLE, "Ok")
        shown = app.message_box(30)
        e2e.check(REPLY in shown, f"the reply box shows {shown}")
        reports = app.requests(REPORT_PATH)
        e2e.check(len(reports) == 1, f"{len(reports)} reports received")
        query = reports[0]["query"]
        e2e.check(reports[0]["query_keys"] == ["program", "version", "exception", "event", "os", "email"],
                  f"query keys {reports[0]['query_keys']}")
        e2e.check(query["program"] == "Dorvane" and query["version"] == "3.3.0.0", f"query {query}")
        e2e.check(query["exception"] == "Invalid_data_type_for_'pos_x'", f"exception {query['exception']!r}")
        # The last activity the program recorded before Ok was pressed: the failed read of
        # "pos_x" ends the main window's creation right after it recorded "program_start";
        # the stored settings' restore, which still comes as the window is first shown,
        # ends by recording "drivelist_change"; every tick that has run since ends by
        # recording "mem_load". Ok is pressed between two messages, never inside either:
        # one of the three, and nothing else.
        e2e.check(query["event"] in ("program_start", "drivelist_change", "mem_load"), f"event {query['event']!r}")
        e2e.check(query["email"] == "anonymous", f"email {query['email']!r}")
        app.press("Dorvane", "OK")
        e2e.check(app.program_exited(30), "the program did not end after the reply")
        # Without the main window's closing steps, but with its settings stored as its
        # window was destroyed: the stored control properties and the check marks.
        e2e.check(app.stored("CheckBox1_Checked") == "True", f"CheckBox1_Checked {app.stored('CheckBox1_Checked')}")
        e2e.check(app.stored("0 active") is not None, "no check mark stored")
        e2e.check(app.stored("Labels") is None, f"Labels stored as {app.stored('Labels')}")

        # The server sends nothing back: the report window stays, the program runs on.
        app.script(REPORT_PATH, "empty")
        break_settings(app)
        app.session.start_program(exe)
        app.dialog(REPORT_TITLE, 60)
        app.press(REPORT_TITLE, "Ok")
        e2e.wait_for(lambda: len(app.requests(REPORT_PATH)) == 2, 20, "the second report")
        time.sleep(2)
        e2e.check(app.window_texts("Dorvane", e2e.MESSAGE_BOX) is None, "a reply box was shown for an empty answer")
        texts = app.window_texts(REPORT_TITLE)
        e2e.check(texts is not None, "the report window went away")
        e2e.check("Connecting..." in texts, f"the report window shows {texts}")
        e2e.check(not app.program_exited(0), "the program ended without an answer")


if __name__ == "__main__":
    e2e.run(test)
