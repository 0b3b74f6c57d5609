#!/usr/bin/env python3
"""An HTTP server on 127.0.0.1 that misbehaves on purpose, for the HTTP client's tests.

Usage: http_fault_server.py FOLDER

Prints "port N" once it listens. Serves the files of FOLDER; the first path component chooses how:

  /plain/F        Content-Length, the connection kept (HTTP/1.1)
  /chunked/F      chunked in pieces of varying size, with a trailer
  /untilclose/F   no length: the body ends when the server closes
  /drip/F         the header and ten bytes, then silence with the connection open
  /paced/F        the body in pieces of 8 KiB, one every 50 ms (a steady 160 KiB/s)
  /closemid/F     half the body, then the connection closed
  /closeonce/F    as closemid the first time F is asked for, as plain afterwards
  /http10keep/F   HTTP/1.0 with "Connection: Keep-Alive, x-extra": kept
  /tokenclose/F   HTTP/1.1 with "Connection: x-extra, close": closed after the body
  /longheader/F   a header line of 2000 bytes
  /badrange/F     a range is answered with a part that starts at byte 0
  /ignorerange/F  a range is answered with the whole file (200)
  /idleclose/F    plain, then the connection is closed behind the reply
  /continue/F     an interim "100 Continue" first, then plain
  /status/N/F     status N with a short text body, the connection kept
  /form           a form post: answers with the pairs it read ("got_" before each name), their
                  count and a "motto" full of separators, then closes

Paths are percent-decoded; F may hold blanks. Each request is written to stdout as
"request CONNECTION TARGET RANGE" (connections counted from 1, RANGE empty when none was asked
for), so a test can see what went out and over which connection.
"""

import os
import socket
import socketserver
import sys
import threading
import time
import urllib.parse

ROOT = sys.argv[1] if len(sys.argv) > 1 else "."
SEEN = set()
SEEN_LOCK = threading.Lock()
OUT_LOCK = threading.Lock()
CONNECTIONS = [0]


def say(text):
    with OUT_LOCK:
        sys.stdout.write(text + "\n")
        sys.stdout.flush()


def read_request(rfile):
    line = rfile.readline(65536)
    if not line:
        return None
    method, target, _ = line.decode("latin-1").rstrip("\r\n").split(" ", 2)
    headers = {}
    while True:
        h = rfile.readline(65536).decode("latin-1").rstrip("\r\n")
        if not h:
            break
        name, _, value = h.partition(":")
        headers[name.strip().lower()] = value.strip()
    body = b""
    length = int(headers.get("content-length", "0"))
    if length:
        body = rfile.read(length)
    return method, target, headers, body


def range_start(headers):
    value = headers.get("range", "")
    if value.startswith("bytes=") and value.endswith("-"):
        return int(value[6:-1])
    return None


class Handler(socketserver.StreamRequestHandler):
    def send(self, data):
        self.wfile.write(data)
        self.wfile.flush()

    def head(self, status, fields, version="HTTP/1.1"):
        lines = ["%s %s" % (version, status)] + fields
        self.send(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"))

    def handle(self):
        with SEEN_LOCK:
            CONNECTIONS[0] += 1
            connection = CONNECTIONS[0]
        try:
            while True:
                request = read_request(self.rfile)
                if request is None:
                    return
                method, target, headers, body = request
                say("request %d %s %s" % (connection, target, headers.get("range", "")))
                if not self.answer(method, target, headers, body):
                    return
        except (OSError, ValueError):
            return  # the client went away or sent something this server does not read

    def answer(self, method, target, headers, body):
        """Serves one request; False when the connection is to end."""
        if target == "/form":
            pairs = urllib.parse.parse_qsl(body.decode("latin-1"), keep_blank_values=True, encoding="latin-1")
            # "motto" carries every separator, encoded, to the client's decoder.
            reply = [("count", str(len(pairs))), ("motto", "cards & chips = fun+games")]
            reply += [("got_" + k, v) for k, v in pairs]
            text = urllib.parse.urlencode(reply, encoding="latin-1")
            self.send(b"HTTP/1.0 200 OK\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\n")
            self.send(text.encode("latin-1"))
            return False
        parts = urllib.parse.unquote(target, encoding="latin-1").split("/", 2)
        mode, rest = parts[1], parts[2] if len(parts) > 2 else ""
        status = None
        if mode == "status":
            status, _, rest = rest.partition("/")
        path = os.path.join(ROOT, rest)
        if status is not None:
            text = ("status %s for %s" % (status, rest)).encode("latin-1")
            self.head(status + " Test", ["Content-Length: %d" % len(text)])
            self.send(text)
            return True
        if not os.path.isfile(path):
            text = b"no such file"
            self.head("404 Not Found", ["Content-Length: %d" % len(text)])
            self.send(text)
            return True
        with open(path, "rb") as f:
            data = f.read()
        n = len(data)
        start = range_start(headers)
        if mode == "plain" or mode == "continue" or mode == "idleclose":
            if mode == "continue":
                self.send(b"HTTP/1.1 100 Continue\r\n\r\n")
            self.head("200 OK", ["Content-Length: %d" % n, "Connection: keep-alive"])
            self.send(data)
            return mode != "idleclose"
        if mode == "chunked":
            self.head("200 OK", ["Transfer-Encoding: chunked"])
            at, size = 0, 1
            while at < n:
                piece = data[at:at + size]
                self.send(b"%x;ext=1\r\n" % len(piece) + piece + b"\r\n")
                at += len(piece)
                size = size * 7 + 3
            self.send(b"0\r\nX-Trailer: done\r\n\r\n")
            return True
        if mode == "untilclose":
            self.head("200 OK", ["Content-Type: application/octet-stream"])
            self.send(data)
            return False
        if mode == "drip":
            self.head("200 OK", ["Content-Length: %d" % n])
            self.send(data[:10])
            time.sleep(60)
            return False
        if mode == "paced":
            self.head("200 OK", ["Content-Length: %d" % n, "Connection: keep-alive"])
            for at in range(0, n, 8192):
                self.send(data[at:at + 8192])
                time.sleep(0.05)
            return True
        if mode == "closemid" or mode == "closeonce":
            with SEEN_LOCK:
                first = rest not in SEEN
                SEEN.add(rest)
            self.head("200 OK", ["Content-Length: %d" % n])
            if mode == "closemid" or first:
                self.send(data[:n // 2])
                return False
            self.send(data)
            return True
        if mode == "http10keep":
            self.head("200 OK", ["Content-Length: %d" % n, "Connection: Keep-Alive, x-extra"], "HTTP/1.0")
            self.send(data)
            return True
        if mode == "tokenclose":
            self.head("200 OK", ["Content-Length: %d" % n, "Connection: x-extra, close"])
            self.send(data)
            return False
        if mode == "longheader":
            self.head("200 OK", ["X-Long: " + "L" * 2000, "Content-Length: %d" % n])
            self.send(data)
            return True
        if mode == "badrange" and start is not None:
            self.head("206 Partial Content",
                      ["Content-Length: %d" % n, "Content-Range: bytes 0-%d/%d" % (n - 1, n)])
            self.send(data)
            return True
        if mode == "badrange" or mode == "ignorerange":
            self.head("200 OK", ["Content-Length: %d" % n])
            self.send(data)
            return True
        text = b"unknown mode"
        self.head("400 Bad Request", ["Content-Length: %d" % len(text)])
        self.send(text)
        return True


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    server = Server(("127.0.0.1", 0), Handler)
    say("port %d" % server.server_address[1])
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
