#!/usr/bin/env python3
"""A raw-packet peer for the tests: the far end of a link of the communication library, on
127.0.0.1, written from the library's framing (not from its code).

Framing. Every unit on a link is a packet with a 12-byte header:

    offset 0   4 bytes  "PCKT"
    offset 4   1 byte   packet type: 1 raw data, 2 node data, 3 register node, 4 unregister node,
                        5 protocol, 6 split piece
    offset 5   3 bytes  split index, max split index, split id (0 in everything the library builds)
    offset 8   4 bytes  packet size, header included, most significant byte first

A raw-data packet carries its payload from offset 12 to its end. A protocol packet carries one
byte at offset 12: 1 ping, 2 ping answer (13 bytes in all). A link that pings its far side (as
the chat client does) waits for answers; this peer answers pings unless told not to.

As a library:

    peer = RawPeer()                 # listens on 127.0.0.1 at a free port: peer.port
    peer.accept(timeout=10)          # True once a client connected
    payload = peer.read_raw(5)       # the next raw-data payload (None: closed or timed out)
    peer.send_raw(b"...")            # one raw-data packet
    peer.send_packet(5, b"\\x01")    # any packet: type and the bytes behind the header
    peer.send_bytes(b"...")          # bytes as they are, framed or not
    peer.close_connection()

As a process driven by a test (python3 rawpeer.py [--port N] [--no-pings]): it prints "port N"
once it listens, then one line per event on stdout:

    accepted             a client connected (a newer one replaces an older)
    raw HEX              a raw-data packet arrived
    packet TYPE HEX      any other packet (pings are answered and not shown)
    bad HEX              the first 12 bytes of a header that is no header; the connection is closed
    closed               the client closed the connection
    error TEXT           an order could not be carried out

and takes one order per line on stdin:

    raw HEX              send a raw-data packet with that payload ("raw" alone: an empty one)
    packet TYPE HEX      send a packet of that type with those bytes behind its header
    bytes HEX            write the bytes as they are
    pings on|off         answer pings or not
    close                close the client's connection
    quit                 end (so does the end of stdin)

Fake servers build on it: a subclass of RawPeerScript overrides on_raw (and on_order for orders
of its own) and calls main(ItsClass); see fake_chat_server.py.
"""

import os
import selectors
import socket
import struct
import sys
import time

MAGIC = b"PCKT"
HEADER_SIZE = 12
RAW, NODE, REGISTER, UNREGISTER, PROTOCOL, SPLIT = 1, 2, 3, 4, 5, 6
PING, PING_ANSWER = 1, 2
# Far more than any test sends; a size above it is taken as a broken stream.
MAX_PACKET = 16 * 1024 * 1024


class BadFraming(Exception):
    """Bytes that cannot be a packet header."""

    def __init__(self, header):
        super().__init__(header.hex())
        self.header = header


def frame(packet_type, body=b""):
    """A whole packet: the header, then body."""
    return MAGIC + bytes([packet_type, 0, 0, 0]) + struct.pack(">I", HEADER_SIZE + len(body)) + bytes(body)


def parse_header(header):
    """(type, size) of a 12-byte header; BadFraming when it is none."""
    packet_type = header[4]
    (size,) = struct.unpack(">I", header[8:12])
    if header[:4] != MAGIC or not RAW <= packet_type <= SPLIT or size < HEADER_SIZE or size > MAX_PACKET:
        raise BadFraming(bytes(header))
    return packet_type, size


class RawPeer:
    """Listens on 127.0.0.1 and serves one connection at a time."""

    def __init__(self, port=0, answer_pings=True):
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", port))
        self.listener.listen(8)
        self.port = self.listener.getsockname()[1]
        self.answer_pings = answer_pings
        self.conn = None
        self._buffer = bytearray()

    # ---- the connection ----

    def take_connection(self):
        """Accepts the waiting connection; it replaces the one before."""
        conn, _ = self.listener.accept()
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.close_connection()
        self.conn = conn
        self._buffer.clear()

    def accept(self, timeout=None):
        self.listener.settimeout(timeout)
        try:
            self.take_connection()
        except socket.timeout:
            return False
        finally:
            self.listener.settimeout(None)
        return True

    def close_connection(self):
        if self.conn is not None:
            self.conn.close()
            self.conn = None

    def close(self):
        self.close_connection()
        self.listener.close()

    # ---- writing ----

    def send_bytes(self, data):
        self.conn.sendall(bytes(data))

    def send_packet(self, packet_type, body=b""):
        self.send_bytes(frame(packet_type, body))

    def send_raw(self, payload=b""):
        self.send_packet(RAW, payload)

    # ---- reading ----

    def feed(self, data):
        """Takes bytes read from the connection; the whole packets among them as (type, body),
        pings answered (and left out) when the peer answers them. Raises BadFraming."""
        self._buffer += data
        packets = []
        while len(self._buffer) >= HEADER_SIZE:
            packet_type, size = parse_header(self._buffer[:HEADER_SIZE])
            if len(self._buffer) < size:
                break
            body = bytes(self._buffer[HEADER_SIZE:size])
            del self._buffer[:size]
            if self.answer_pings and packet_type == PROTOCOL and body[:1] == bytes([PING]):
                self.send_packet(PROTOCOL, bytes([PING_ANSWER]))
                continue
            packets.append((packet_type, body))
        return packets

    def read_packet(self, timeout=None):
        """The next packet as (type, body); None when the connection closed or nothing came in
        time."""
        deadline = None if timeout is None else time.monotonic() + timeout
        pending = []
        while not pending:
            if deadline is not None:
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.conn.settimeout(left)
            try:
                data = self.conn.recv(65536)
            except socket.timeout:
                return None
            finally:
                self.conn.settimeout(None)
            if not data:
                return None
            pending = self.feed(data)
        # Packets read past the first wait for the next call.
        first, rest = pending[0], pending[1:]
        self._buffer[:0] = b"".join(frame(t, b) for t, b in rest)
        return first

    def read_raw(self, timeout=None):
        """The payload of the next raw-data packet; other packets are passed over."""
        while True:
            packet = self.read_packet(timeout)
            if packet is None:
                return None
            if packet[0] == RAW:
                return packet[1]


class RawPeerScript:
    """The peer driven by orders on stdin, reporting events on stdout."""

    def __init__(self, peer, out=sys.stdout):
        self.peer = peer
        self.out = out
        self._orders = b""
        self.running = True

    def say(self, line):
        self.out.write(line + "\n")
        self.out.flush()

    # ---- events: subclasses extend these ----

    def on_accept(self):
        self.say("accepted")

    def on_packet(self, packet_type, body):
        if packet_type == RAW:
            self.on_raw(body)
        else:
            self.say("packet %d %s" % (packet_type, body.hex()))

    def on_raw(self, payload):
        self.say("raw " + payload.hex())

    def on_closed(self):
        self.say("closed")

    def on_order(self, words):
        """Carries out one order; False when it is none this script knows."""
        name, args = words[0], words[1:]
        if name == "raw":
            self.send(lambda: self.peer.send_raw(bytes.fromhex(args[0] if args else "")))
        elif name == "packet" and args:
            self.send(lambda: self.peer.send_packet(int(args[0]), bytes.fromhex(args[1] if len(args) > 1 else "")))
        elif name == "bytes" and args:
            self.send(lambda: self.peer.send_bytes(bytes.fromhex(args[0])))
        elif name == "pings" and args:
            self.peer.answer_pings = args[0] == "on"
        elif name == "close":
            self.peer.close_connection()
        elif name == "quit":
            self.running = False
        else:
            return False
        return True

    def send(self, action):
        if self.peer.conn is None:
            self.say("error no connection")
            return
        try:
            action()
        except OSError as e:
            self.say("error " + str(e))

    # ---- the loop ----

    def _read_orders(self):
        data = os.read(sys.stdin.fileno(), 65536)
        if not data:
            self.running = False
            return
        self._orders += data
        while b"\n" in self._orders:
            line, self._orders = self._orders.split(b"\n", 1)
            words = line.decode("latin-1").split()
            if words and not self.on_order(words):
                self.say("error unknown order " + words[0])

    def _read_connection(self, selector):
        conn = self.peer.conn
        try:
            data = conn.recv(65536)
        except OSError:
            data = b""
        if not data:
            selector.unregister(conn)
            self.peer.close_connection()
            self.on_closed()
            return
        try:
            packets = self.peer.feed(data)
        except BadFraming as bad:
            selector.unregister(conn)
            self.peer.close_connection()
            self.say("bad " + bad.header.hex())
            return
        for packet_type, body in packets:
            self.on_packet(packet_type, body)

    def run(self):
        selector = selectors.DefaultSelector()
        selector.register(self.peer.listener, selectors.EVENT_READ, "listener")
        selector.register(sys.stdin.fileno(), selectors.EVENT_READ, "orders")
        self.say("port %d" % self.peer.port)
        watched = None
        while self.running:
            # A connection closed by an order leaves the selector here.
            if watched is not None and watched is not self.peer.conn:
                try:
                    selector.unregister(watched)
                except (KeyError, ValueError):
                    pass
                watched = None
            if watched is None and self.peer.conn is not None:
                watched = self.peer.conn
                selector.register(watched, selectors.EVENT_READ, "connection")
            for key, _ in selector.select():
                if key.data == "listener":
                    if watched is not None:
                        selector.unregister(watched)
                        watched = None
                    self.peer.take_connection()
                    self.on_accept()
                elif key.data == "orders":
                    self._read_orders()
                elif key.data == "connection" and key.fileobj is self.peer.conn:
                    self._read_connection(selector)
                    if self.peer.conn is None:
                        watched = None
                if not self.running:
                    break
        self.peer.close()


def main(script_class=RawPeerScript, argv=None, peer_class=RawPeer):
    """Runs script_class over a peer_class(port, answer_pings) made from the command line."""
    argv = sys.argv[1:] if argv is None else argv
    port, pings = 0, True
    i = 0
    while i < len(argv):
        if argv[i] == "--port" and i + 1 < len(argv):
            port = int(argv[i + 1])
            i += 1
        elif argv[i] == "--no-pings":
            pings = False
        else:
            sys.stderr.write("usage: %s [--port N] [--no-pings]\n" % os.path.basename(sys.argv[0]))
            return 2
        i += 1
    script_class(peer_class(port, pings)).run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
