#!/usr/bin/env python3
"""An info server on 127.0.0.1 for the info connection's tests, over rawpeer.py's raw-packet link.

Usage: fake_info_server.py [--port N] [--no-pings] [--proxy] [--tls]

It takes rawpeer's orders and reports its events (see rawpeer.py). The client's requests are
NUL-ended texts in raw packets; after rawpeer's "raw HEX" line each one is also reported as

    request connection|info|filemap|other
    request filemap CRC match|differs   a "RequestFileMap = CRC" (CRC as the client sent it) and
                                        whether it is the CRC-32 of the served list
    request filemap none                a plain "RequestFileMap"

and answered by what the test queued for that kind of request ("answered KIND" once all of it
is sent); with nothing queued the server stays silent. Orders beyond rawpeer's (each acknowledged with "ok" and the order's name):

    on KIND STEP...   the answer to the next request of KIND (connection, info, filemap), its steps
                      in order:
                        HEX    one raw packet with these bytes ("-": an empty one)
                        close  close the connection
                        map    the served list: "Skip" when the request named its CRC-32, else
                               "Filesize = n" and the list coded by lzss_model.py as one packet of
                               n bytes
    map PATH          the module list the server serves (read when "map" is answered)

With --proxy the server is the forwarding proxy in front of the info server: every connection
begins with the proxy's 48-byte location header ("PLOC", the target host NUL-ended at offset 12,
its port as decimal text at offset 42), reported as "proxy HOST PORT". With --tls the connection
(after that header) runs under TLS, with a certificate made at start by the openssl program;
reported as "tls" once the handshake is done.
"""

import os
import socket
import ssl
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import crc32_bzip2  # noqa: E402
import lzss_model  # noqa: E402
import rawpeer  # noqa: E402

LOCATION_SIZE = 48
KINDS = {b"RequestConnection": "connection", b"RequestInfo": "info", b"RequestFileMap": "filemap"}


def request_kind(text):
    for prefix, kind in KINDS.items():
        if text.startswith(prefix):
            return kind
    return "other"


def read_exactly(conn, n):
    data = b""
    while len(data) < n:
        part = conn.recv(n - len(data))
        if not part:
            raise OSError("the client closed before %d bytes came" % n)
        data += part
    return data


def parse_location(header):
    host = header[12:42].split(b"\0", 1)[0].decode("latin-1")
    port = header[42:48].split(b"\0", 1)[0].decode("latin-1")
    return host, port


class InfoPeer(rawpeer.RawPeer):
    """A peer whose connections may begin with the proxy header and run under TLS."""

    def __init__(self, port, answer_pings, proxy, tls_context):
        super().__init__(port, answer_pings)
        self.proxy = proxy
        self.tls_context = tls_context
        self.notes = []

    def take_connection(self):
        conn, _ = self.listener.accept()
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.close_connection()
        self._buffer.clear()
        self.notes = []
        conn.settimeout(10)
        try:
            if self.proxy:
                host, port = parse_location(read_exactly(conn, LOCATION_SIZE))
                self.notes.append("proxy %s %s" % (host, port))
            if self.tls_context is not None:
                conn = self.tls_context.wrap_socket(conn, server_side=True)
                self.notes.append("tls")
        except (OSError, ssl.SSLError) as e:
            self.notes.append("error " + str(e).replace("\n", " "))
            conn.close()
            return
        conn.settimeout(None)
        self.conn = conn


class InfoServer(rawpeer.RawPeerScript):
    def __init__(self, peer):
        super().__init__(peer)
        self.answers = {kind: [] for kind in KINDS.values()}
        self.map_path = None

    def on_accept(self):
        for note in self.peer.notes:
            self.say(note)
        if self.peer.conn is not None:
            super().on_accept()

    def on_raw(self, payload):
        super().on_raw(payload)
        text = payload.split(b"\0", 1)[0]
        kind = request_kind(text)
        crc = None
        if kind == "filemap":
            crc = text[len(b"RequestFileMap = "):].decode("latin-1") if text.startswith(b"RequestFileMap = ") else None
            self.say("request filemap " + ("none" if crc is None else crc + " " + self.crc_verdict(crc)))
        else:
            self.say("request " + kind)
        queue = self.answers.get(kind)
        if queue:
            for step in queue.pop(0):
                self.answer(step, crc)
            self.say("answered " + kind)

    def served_list(self):
        with open(self.map_path, "rb") as f:
            return f.read()

    def crc_verdict(self, crc):
        if self.map_path is None:
            return "differs"
        return "match" if crc == str(crc32_bzip2.crc_bzip2(self.served_list(), 0x04C11DB7)) else "differs"

    def answer(self, step, crc):
        if step == "close":
            # Shut down rather than closed here: the loop sees the end and lets the socket go itself.
            try:
                self.peer.conn.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        elif step == "map":
            if crc is not None and self.crc_verdict(crc) == "match":
                self.send(lambda: self.peer.send_raw(b"Skip\0"))
            else:
                coded = lzss_model.compress(self.served_list())
                self.send(lambda: self.peer.send_raw(b"Filesize = %d\0" % len(coded)))
                self.send(lambda: self.peer.send_raw(coded))
        else:
            data = b"" if step == "-" else bytes.fromhex(step)
            self.send(lambda: self.peer.send_raw(data))

    def on_order(self, words):
        if words[0] == "on" and len(words) >= 3 and words[1] in self.answers:
            self.answers[words[1]].append(words[2:])
            self.say("ok on")
            return True
        if words[0] == "map" and len(words) == 2:
            self.map_path = words[1]
            self.say("ok map")
            return True
        return super().on_order(words)


def make_tls_context(folder):
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-nodes", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-keyout", key, "-out", cert, "-subj", "/CN=localhost", "-days", "2"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def main(argv):
    proxy, tls = "--proxy" in argv, "--tls" in argv
    rest = [a for a in argv if a not in ("--proxy", "--tls")]
    with tempfile.TemporaryDirectory() as folder:
        context = make_tls_context(folder) if tls else None
        return rawpeer.main(InfoServer, rest, lambda port, pings: InfoPeer(port, pings, proxy, context))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
