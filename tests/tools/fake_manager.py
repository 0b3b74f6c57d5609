#!/usr/bin/env python3
"""A manager process on 127.0.0.1 for the table server's tests, over rawpeer.py's raw-packet link.

Usage: fake_manager.py [--port N]

It takes rawpeer's orders and reports its events (see rawpeer.py), and reads and writes the
manager's texts, written here from their description (not from the table's code): a command
word, the byte 0xA3, each data string followed by 0xA3, and a closing NUL; the id texts
"TableProcessID:<id>:<port>" and "UserProcessID:<id>:<port>" carry no 0xA3.

For each raw packet from the table it prints, after "raw HEX":

    text CMD [STRING ...]    the command and the data strings, each as hex ("" for an empty
                             one: "-"); "text-nonul" instead when the text has no NUL at its
                             end, "text-trailing" when bytes follow the NUL

Orders beyond rawpeer's:
    send CMD [STRING ...]    one text: CMD, 0xA3, each string and 0xA3, NUL (words as they
                             stand; "-" is an empty string)
    sendhex HEX              the bytes of the hex as one raw packet (texts without their NUL)
    sendmany T1 T2 ...       several texts in one write, so that they arrive together; each T is
                             the command and its strings joined by ","
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rawpeer  # noqa: E402

SEPARATOR = b"\xa3"


def build(command, strings):
    text = command + SEPARATOR
    for s in strings:
        text += s + SEPARATOR
    return text + b"\0"


def parse(payload):
    """(kind, command, strings) of a payload."""
    kind = "text"
    end = payload.find(b"\0")
    if end < 0:
        kind, end = "text-nonul", len(payload)
    elif end != len(payload) - 1:
        kind = "text-trailing"
    body = payload[:end]
    parts = body.split(SEPARATOR)
    command, strings = parts[0], parts[1:]
    # The text ends with a separator after its last piece: that leaves one empty piece.
    if strings and strings[-1] == b"":
        strings = strings[:-1]
    return kind, command, strings


def word(data):
    return data.hex() if data else "-"


class Manager(rawpeer.RawPeerScript):
    def on_raw(self, payload):
        super().on_raw(payload)
        kind, command, strings = parse(payload)
        self.say(" ".join([kind, word(command)] + [word(s) for s in strings]))

    def on_order(self, words):
        name, args = words[0], words[1:]
        if name == "send" and args:
            data = [a.encode("latin-1") if a != "-" else b"" for a in args]
            self.send(lambda: self.peer.send_raw(build(data[0], data[1:])))
        elif name == "sendhex" and args:
            self.send(lambda: self.peer.send_raw(bytes.fromhex(args[0])))
        elif name == "sendmany" and args:
            texts = []
            for arg in args:
                pieces = [p.encode("latin-1") if p != "-" else b"" for p in arg.split(",")]
                texts.append(rawpeer.frame(rawpeer.RAW, build(pieces[0], pieces[1:])))
            self.send(lambda: self.peer.send_bytes(b"".join(texts)))
        else:
            return super().on_order(words)
        return True


if __name__ == "__main__":
    sys.exit(rawpeer.main(Manager))
