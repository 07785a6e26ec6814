#!/usr/bin/python3
"""The update service as the update-road tests need it: a small HTTP/1.1
server on 127.0.0.1 (port chosen by the system) that serves the files of a
folder and misbehaves on request.

  update_server.py ROOT PORT_FILE [--lifetime SECONDS]

ROOT holds what the service offers ("liveupdate/tcw.php", the database,
"latest.txt", "dl.php"...); the tests rewrite it between cases. The port is
written to PORT_FILE once the server listens (written aside, then renamed,
so a reader never sees half of it). Every request target is appended, as
received, to ROOT/requests.log, one per line.

A request path is percent-decoded and loses its query and trailing blanks,
so "/dl.php", "/dl.php " and "/dl.php%20" name the same file. A first path
segment of the form "@mode" chooses how the rest is answered:

  (none)    the file with its Content-Length, or 404 when there is none
  @404      404 whatever the path
  @stall    a download that never ends: announces 50,000,000 bytes, sends
            the file's first half and then 2,048 zero bytes every 100 ms
            until the server ends (under Wine a read from a server that
            sends nothing at all ends only at the receive time-out: closing
            its request does not end it there)
  @cut      announces the file's length, sends half of it and closes
  @hang     announces 50,000,000 bytes, sends the file's first half and
            then nothing until the server ends

The server ends on GET /@quit, when ROOT disappears, or after the lifetime
(600 seconds unless given), so a test that dies leaves nothing running.
"""

import os
import socket
import socketserver
import sys
import threading
import time
import urllib.parse


class Handler(socketserver.StreamRequestHandler):
    timeout = 30

    def handle(self):
        try:
            line = self.rfile.readline(65537).decode("latin-1").rstrip("\r\n")
            while True:
                header = self.rfile.readline(65537)
                if header in (b"\r\n", b"\n", b""):
                    break
        except (OSError, socket.timeout):
            return
        # "GET <target> HTTP/1.1": the target may itself end in blanks.
        if not line.startswith("GET ") or " HTTP/" not in line:
            self.send_head("400 Bad Request", 0)
            return
        target = line[4:line.rindex(" HTTP/")]
        self.server.log(target)

        path = urllib.parse.unquote(target.split("?", 1)[0]).rstrip(" ")
        parts = [p for p in path.split("/") if p]
        mode = ""
        if parts and parts[0].startswith("@"):
            mode = parts.pop(0)
        if mode == "@quit":
            self.send_head("200 OK", 0)
            self.server.quit.set()
            return

        body = None
        if mode != "@404" and parts and ".." not in parts:
            name = os.path.join(self.server.root, *parts)
            if os.path.isfile(name):
                with open(name, "rb") as f:
                    body = f.read()
        if body is None:
            self.send_head("404 Not Found", 9)
            self.send(b"not found")
        elif mode == "@stall":
            self.send_head("200 OK", 50000000)
            self.send(body[:len(body) // 2])
            while not self.server.quit.is_set():
                if not self.send(b"\0" * 2048):
                    break
                time.sleep(0.1)
        elif mode == "@hang":
            self.send_head("200 OK", 50000000)
            self.send(body[:len(body) // 2])
            self.server.quit.wait()
        elif mode == "@cut":
            self.send_head("200 OK", len(body))
            self.send(body[:len(body) // 2])
        else:
            self.send_head("200 OK", len(body))
            self.send(body)

    def send_head(self, status, length):
        self.send(("HTTP/1.1 %s\r\nConnection: close\r\n"
                   "Content-Type: application/octet-stream\r\n"
                   "Content-Length: %d\r\n\r\n" % (status, length)).encode("latin-1"))

    def send(self, data):
        try:
            self.wfile.write(data)
            self.wfile.flush()
            return True
        except OSError:
            return False


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = False

    def __init__(self, root):
        super().__init__(("127.0.0.1", 0), Handler)
        self.root = root
        self.quit = threading.Event()
        self.lock = threading.Lock()

    def log(self, target):
        with self.lock:
            try:
                with open(os.path.join(self.root, "requests.log"), "a", encoding="latin-1") as f:
                    f.write(target + "\n")
            except OSError:
                pass


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    root, port_file = argv[0], argv[1]
    lifetime = 600.0
    if len(argv) >= 4 and argv[2] == "--lifetime":
        lifetime = float(argv[3])

    server = Server(root)
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.05}, daemon=True).start()
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)

    end = time.monotonic() + lifetime
    while not server.quit.wait(0.25):
        if time.monotonic() > end or not os.path.isdir(root):
            server.quit.set()
    server.shutdown()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
