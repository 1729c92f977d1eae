#!/usr/bin/env python3
"""The maker's web server, ours, on 127.0.0.1 only.

Answers the version check, receives error reports and serves the web page the links
open. The program finds it through DORVANE_SERVER=127.0.0.1:<port>.

  maker_server.py [--port N] [--port-file F] [--log F] [--version-reply TEXT]

--port 0 picks a free port; the chosen port is written to --port-file.
Replies can be scripted for tests: --version-reply, --report-reply, --delay (seconds
before answering), --status (HTTP status of every reply).
"""
import argparse
import http.server
import json
import os
import sys
import time
import urllib.parse


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--port-file")
    ap.add_argument("--log", help="append one JSON line per request")
    ap.add_argument("--version-reply", default="You are running the latest version of Dorvane.")
    ap.add_argument("--report-reply", default="Thank you, your report has been received.")
    ap.add_argument("--delay", type=float, default=0.0)
    ap.add_argument("--status", type=int, default=200)
    args = ap.parse_args()

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def do_GET(self):
            url = urllib.parse.urlsplit(self.path)
            query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
            if args.log:
                with open(args.log, "a", encoding="utf-8") as f:
                    f.write(json.dumps({"path": url.path, "query": query,
                                        "agent": self.headers.get("User-Agent", "")}) + "\n")
            if url.path == "/php/versioncheck.php":
                body, kind = args.version_reply, "text/plain"
            elif url.path == "/php/exceptions.php":
                body, kind = args.report_reply, "text/plain"
            elif url.path == "/enter.php":
                body, kind = "<html><body><h1>Dorvane</h1></body></html>", "text/html"
            else:
                body, kind = "not found", "text/plain"
                self.send_response(404)
                self.send_header("Content-Type", kind)
                self.end_headers()
                self.wfile.write(body.encode())
                return
            if args.delay:
                time.sleep(args.delay)
            data = body.encode("utf-8")
            self.send_response(args.status)
            self.send_header("Content-Type", kind + "; charset=utf-8")
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

        def log_message(self, *a):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    port = server.server_address[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(str(port))
        os.replace(tmp, args.port_file)
    print(f"maker server on 127.0.0.1:{port}", file=sys.stderr, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
