#!/usr/bin/env python3
"""The maker's web server, ours, on 127.0.0.1 only.

Answers the version check (/php/versioncheck.php), receives error reports
(/php/exceptions.php) and serves the web page the links open (/enter.php). The program
finds it through DORVANE_SERVER=127.0.0.1:<port>.

  maker_server.py [--port N] [--port-file F] [--log F] [--version-reply TEXT]
                  [--report-reply TEXT] [--delay S] [--status N] [--script PATH=MODE ...]

--port 0 picks a free port; the chosen port is written to --port-file.

Misbehaviour is scripted per path (or "*" for every path), on the command line with
--script or while running with GET /_script?path=P&mode=M[&arg=A][&reply=TEXT]:

  normal        the reply with its Content-Length
  delay:S       the reply after S seconds
  empty         200 with an empty body
  nolength      the reply without Content-Length, ended by closing the connection
  404           status 404 with the reply as body
  big:N         a body of N bytes ("0123456789" repeated), with its Content-Length
  cut:N         announces the whole reply, sends its first N bytes and closes
  never         reads the request and never answers (until /_release or the end)
  cacheable     the reply with headers that let any cache keep it for a day

Every request is recorded: GET /_requests answers the list as JSON (method, target,
path, query with its raw and decoded values, version, headers), /_requests.txt the same as
lines (REQUEST, HEADER, QUERY with the decoded value as a JSON string, BODY), /_reset
forgets them and every script, /_release lets go of the requests held by "never", /_quit
ends the server. --exit-with-parent ends it with the process that started it. --log also
appends one JSON line per request to a file.
"""
import argparse
import http.server
import json
import os
import socket
import sys
import threading
import time
import urllib.parse

PAGES = {
    "/php/versioncheck.php": "version",
    "/php/exceptions.php": "report",
    "/enter.php": "page",
}


def parse_script(text):
    mode, _, arg = text.partition(":")
    return {"mode": mode, "arg": arg}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--port-file")
    ap.add_argument("--log", help="append one JSON line per request")
    ap.add_argument("--version-reply", default="You are running the latest version of Dorvane.")
    ap.add_argument("--report-reply", default="Thank you, your report has been received.")
    ap.add_argument("--delay", type=float, default=0.0)
    ap.add_argument("--status", type=int, default=200)
    ap.add_argument("--script", action="append", default=[], metavar="PATH=MODE")
    ap.add_argument("--exit-with-parent", action="store_true",
                    help="end when the process that started this one ends")
    args = ap.parse_args()

    state = {
        "lock": threading.Lock(),
        "requests": [],
        "scripts": {},
        "replies": {"version": args.version_reply, "report": args.report_reply,
                    "page": "<html><body><h1>Dorvane</h1></body></html>"},
        "release": threading.Event(),
        "held": [],
    }
    for item in args.script:
        path, _, mode = item.partition("=")
        state["scripts"][path] = parse_script(mode)

    def script_for(path):
        with state["lock"]:
            return state["scripts"].get(path) or state["scripts"].get("*") or {"mode": "normal", "arg": ""}

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def record(self, url):
            pairs = urllib.parse.parse_qsl(url.query, keep_blank_values=True)
            raw = [list(p.partition("=")[0::2]) for p in url.query.split("&")] if url.query else []
            entry = {"method": self.command, "target": self.path, "path": url.path,
                     "version": self.request_version,
                     "query": {k: v for k, v in pairs}, "query_keys": [k for k, _ in pairs],
                     "raw_query": url.query, "raw_pairs": raw,
                     "headers": [[k, v] for k, v in self.headers.items()],
                     "agent": self.headers.get("User-Agent", ""), "time": time.time()}
            with state["lock"]:
                state["requests"].append(entry)
            if args.log:
                with open(args.log, "a", encoding="utf-8") as f:
                    f.write(json.dumps(entry) + "\n")

        def send_body(self, status, body, kind="text/plain; charset=utf-8", length=True, extra=()):
            self.send_response(status)
            self.send_header("Content-Type", kind)
            for name, value in extra:
                self.send_header(name, value)
            if length is True:
                self.send_header("Content-Length", str(len(body)))
            elif length is not False:
                self.send_header("Content-Length", str(length))
            self.end_headers()
            self.wfile.write(body)

        def control(self, url):
            q = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
            if url.path == "/_requests":
                with state["lock"]:
                    data = json.dumps(state["requests"]).encode()
                return self.send_body(200, data, "application/json")
            if url.path == "/_requests.txt":
                return self.send_body(200, requests_as_text().encode("utf-8"))
            if url.path == "/_quit":
                self.send_body(200, b"ok")
                threading.Thread(target=server.shutdown, daemon=True).start()
                return
            if url.path == "/_reset":
                with state["lock"]:
                    state["requests"].clear()
                    state["scripts"].clear()
            elif url.path == "/_script":
                script = parse_script(q.get("mode", "normal"))
                if q.get("arg"):
                    script["arg"] = q["arg"]
                if "reply" in q:
                    script["reply"] = q["reply"]
                with state["lock"]:
                    state["scripts"][q.get("path", "*")] = script
            elif url.path == "/_release":
                release_held()
            else:
                return self.send_body(404, b"unknown control")
            self.send_body(200, b"ok")

        def do_GET(self):
            url = urllib.parse.urlsplit(self.path)
            if url.path.startswith("/_"):
                return self.control(url)
            self.record(url)
            self.answer(url)

        def do_POST(self):
            length = int(self.headers.get("Content-Length", "0") or 0)
            body = self.rfile.read(length) if length else b""
            url = urllib.parse.urlsplit(self.path)
            self.record(url)
            with state["lock"]:
                state["requests"][-1]["body"] = body.decode("latin-1")
            self.answer(url)

        def answer(self, url):
            page = PAGES.get(url.path)
            if page is None:
                return self.send_body(404, b"not found")
            script = script_for(url.path)
            mode, arg = script["mode"], script["arg"]
            reply = script.get("reply", state["replies"][page])
            body = reply.encode("utf-8")
            kind = "text/html; charset=utf-8" if page == "page" else "text/plain; charset=utf-8"
            if args.delay:
                time.sleep(args.delay)
            if mode == "delay":
                time.sleep(float(arg or 1))
            elif mode == "never":
                with state["lock"]:
                    state["held"].append(self.connection)
                state["release"].wait()
                self.close_connection = True
                return
            elif mode == "empty":
                return self.send_body(200, b"", kind)
            elif mode == "nolength":
                self.send_body(200, body, kind, length=False)
                self.close_connection = True
                return
            elif mode == "cacheable":
                # A reply any cache may keep for a day: only a request that bypasses the
                # cache reaches the server again, and without asking whether it changed.
                return self.send_body(200, body, kind, extra=(
                    ("Cache-Control", "public, max-age=86400"), ("Expires", "Thu, 31 Dec 2099 23:59:59 GMT"),
                    ("Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT"), ("ETag", '"reply-1"')))
            elif mode == "404":
                return self.send_body(404, body, kind)
            elif mode == "big":
                n = int(arg or 4_000_000)
                data = (b"0123456789" * (n // 10 + 1))[:n]
                return self.send_body(200, data, "application/octet-stream")
            elif mode == "cut":
                n = int(arg or 1)
                self.send_body(200, body[:n], kind, length=len(body))
                self.wfile.flush()
                self.connection.shutdown(socket.SHUT_RDWR)
                self.close_connection = True
                return
            self.send_body(args.status, body, kind)

        def log_message(self, *a):
            pass

    def requests_as_text():
        # One block per request, easy to read from a test: values as JSON strings.
        lines = []
        with state["lock"]:
            for r in state["requests"]:
                lines.append(f"REQUEST {r['method']} {r['target']} {r['version']}")
                for k, v in r["headers"]:
                    lines.append(f"HEADER {k}: {v}")
                for k, v in r["query"].items():
                    lines.append(f"QUERY {k}=" + json.dumps(v, ensure_ascii=False))
                if "body" in r:
                    lines.append("BODY " + json.dumps(r["body"], ensure_ascii=False))
        return "".join(line + "\n" for line in lines)

    def release_held():
        with state["lock"]:
            held, state["held"] = state["held"], []
            state["release"].set()
            state["release"] = threading.Event()
        for conn in held:
            try:
                conn.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    class Server(http.server.ThreadingHTTPServer):
        daemon_threads = True

    server = Server(("127.0.0.1", args.port), Handler)
    port = server.server_address[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(str(port))
        os.replace(tmp, args.port_file)
    print(f"maker server on 127.0.0.1:{port}", file=sys.stderr, flush=True)
    if args.exit_with_parent:
        parent = os.getppid()

        def watch():
            while os.getppid() == parent:
                time.sleep(0.5)
            server.shutdown()
        threading.Thread(target=watch, daemon=True).start()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
