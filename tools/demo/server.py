#!/usr/bin/env python3
"""The demo's download server on 127.0.0.1: serves a folder, and sends the
installers (.exe) slowly enough that the setup's progress bar can be seen.

Usage: server.py PORT FOLDER
"""
import functools
import http.server
import sys
import time

CHUNK = 32 * 1024
PAUSE_SECONDS = 0.05


class DemoHandler(http.server.SimpleHTTPRequestHandler):
    def copyfile(self, source, destination):
        if not self.path.endswith(".exe"):
            return super().copyfile(source, destination)
        while True:
            chunk = source.read(CHUNK)
            if not chunk:
                return
            destination.write(chunk)
            destination.flush()
            time.sleep(PAUSE_SECONDS)

    def log_message(self, format, *args):
        sys.stderr.write("demo server: " + format % args + "\n")


def main():
    port, folder = int(sys.argv[1]), sys.argv[2]
    handler = functools.partial(DemoHandler, directory=folder)
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        server.serve_forever()


if __name__ == "__main__":
    main()
