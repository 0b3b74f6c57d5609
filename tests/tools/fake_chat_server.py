#!/usr/bin/env python3
"""A chat server on 127.0.0.1 for the chat client's tests, over rawpeer.py's raw-packet link.

Usage: fake_chat_server.py [--port N] [--no-pings]

It takes rawpeer's orders and reports its events (see rawpeer.py), and speaks the chat command
strings, written here from their record table (not from the client's code): a code byte, then

    0 end   16 value (4 bytes, most significant first)   17 text (NUL-ended)
    128 chat line (style byte, NUL-ended text)   129 one byte
    130 user list, 131 more users (names between bytes 2, NUL-ended)
    132 user joined, 133 user left (NUL-ended name)

For each raw packet from the client it prints, after "raw HEX", the records it read:

    records R R ...      each record as CODE, or CODE:HEX with its payload; "cut" when the data
                         ends inside a record's fixed part; codes that carry a payload always
                         show one, if empty ("17:")

It acts as a small chat server would:
    "/connect \\x01NAME\\x01 \\x01..\\x01 \\x01..\\x01"  remembers NAME
    "/join CHANNEL"      answers with the chat line (style 2) "Now talking in CHANNEL" and a new
                         user list holding NAME and "Dealer" with the extra text "host"

Orders beyond rawpeer's:
    line STYLE HEX       send one string holding one chat line of that style and text
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rawpeer  # noqa: E402

END, VALUE, TEXT, LINE, SKIP = 0, 16, 17, 128, 129
USERLIST, USERMORE, JOINED, LEFT = 130, 131, 132, 133
TEXT_CODES = (TEXT, USERLIST, USERMORE, JOINED, LEFT)


def decode(data):
    """The records of one command string as (code, payload bytes); ("cut", b"") ends a string
    whose data stops inside a record's fixed part."""
    records, i = [], 0
    while i < len(data):
        code = data[i]
        i += 1
        if code == END:
            break
        fixed = 4 if code == VALUE else 1 if code in (LINE, SKIP) else 0
        if len(data) - i < fixed:
            records.append(("cut", b""))
            break
        body, i = data[i:i + fixed], i + fixed
        if code == LINE or code in TEXT_CODES:
            end = data.find(b"\0", i)
            end = len(data) if end < 0 else end
            body, i = body + data[i:end], end + 1
        records.append((code, body))
    return records


def describe(code, body):
    if code == "cut":
        return "cut"
    if code in (VALUE, LINE, SKIP) or code in TEXT_CODES:
        return "%d:%s" % (code, body.hex())
    return str(code)


def chat_line(style, text):
    return bytes([LINE, style]) + text + b"\0"


class ChatServer(rawpeer.RawPeerScript):
    def __init__(self, peer):
        super().__init__(peer)
        self.user = b"guest"

    def on_raw(self, payload):
        super().on_raw(payload)
        records = decode(payload)
        self.say("records " + " ".join(describe(code, body) for code, body in records))
        for code, body in records:
            if code == TEXT:
                self.on_text(body)

    def on_text(self, text):
        if text.startswith(b"/connect \x01"):
            self.user = text[len(b"/connect \x01"):].split(b"\x01", 1)[0]
        elif text.startswith(b"/join "):
            channel = text[len(b"/join "):]
            self.send(lambda: self.peer.send_raw(chat_line(2, b"Now talking in " + channel)))
            self.send(lambda: self.peer.send_raw(bytes([USERLIST]) + self.user + b"\x02Dealer\x03host\0"))

    def on_order(self, words):
        if words[0] == "line" and len(words) >= 2:
            text = bytes.fromhex(words[2]) if len(words) > 2 else b""
            self.send(lambda: self.peer.send_raw(chat_line(int(words[1]), text)))
            return True
        return super().on_order(words)


if __name__ == "__main__":
    sys.exit(rawpeer.main(ChatServer))
