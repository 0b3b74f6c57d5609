#!/usr/bin/python3
"""An FTP server on 127.0.0.1 for the FTP client's tests, built on pyftpdlib.

Usage: ftp_test_server.py ROOT [--sizes] [--long-banner] [--long-login]

Serves ROOT read-only to "anonymous" (any password) and to "player" with the password "s3cret".
It prints "port N" once it listens, then "command LINE" for every command it receives (PASS
shown as it came). File names ask for faults:
  drop-control-K-*  the first K RETRs of the file close the command connection
  drop-data-K-*     the first K RETRs send half of the file, then close the data connection
  stall-data-K-*    the first K RETRs send nothing and keep the data connection open
--sizes makes the 125/150 replies to RETR announce the size as "(N bytes)"; --long-banner and
--long-login make the greeting and the 230 reply span several lines. --pasv-address=A names the
address A in every 227 reply (the server still listens on 127.0.0.1), and --pasv-port=N makes the
server take its passive connections on port N only.
"""
import os
import re
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

LONG_TEXT = ("Welcome to the casino test server.\r\n"
             "Plain lines without a code belong to the reply too.\r\n"
             " 220 an indented code does not end it either\r\n"
             "The end is near, and this line is long enough to need the multi-line form")
RETRS = {}


class HalfProducer:
    """Gives the first half of a file, then nothing, so the data connection closes early."""

    def __init__(self, fd):
        self.fd = fd
        self.left = os.fstat(fd.fileno()).st_size // 2

    def more(self):
        if self.left <= 0:
            return b""
        data = self.fd.read(min(self.left, 65536))
        self.left -= len(data)
        return data


class TestHandler(FTPHandler):
    announce_sizes = False
    use_sendfile = False
    auth_failed_timeout = 0
    retr_name = None
    retr_size = None

    def pre_process_command(self, line, cmd, arg):
        print("command " + line, flush=True)
        return super().pre_process_command(line, cmd, arg)

    def respond(self, resp, logfun=None):
        if self.announce_sizes and self.retr_size is not None and resp[:4] in ("125 ", "150 "):
            resp = "%s Opening BINARY mode data connection for %s (%d bytes)." % (
                resp[:3], self.retr_name, self.retr_size)
            self.retr_size = None
        if logfun is None:
            return super().respond(resp)
        return super().respond(resp, logfun)

    def ftp_RETR(self, file):
        name = os.path.basename(file)
        count = RETRS.get(name, 0)
        RETRS[name] = count + 1
        fault = re.match(r"(?:drop|stall)-(control|data)-(\d+)-", name)
        if fault and count < int(fault.group(2)) and fault.group(1) == "control":
            self.close()
            return None
        self.retr_name = name
        try:
            self.retr_size = os.path.getsize(file)
        except OSError:
            self.retr_size = None
        self.half = bool(fault and count < int(fault.group(2)))
        self.stall = self.half and name.startswith("stall-")
        return super().ftp_RETR(file)

    def push_dtp_data(self, data, isproducer=False, file=None, cmd=None):
        if cmd == "RETR" and getattr(self, "half", False):
            self.half = False
            if self.stall:
                self.respond("150 Stalling.")
                return None
            data = HalfProducer(file)
        return super().push_dtp_data(data, isproducer, file, cmd)


def main():
    root = sys.argv[1]
    options = sys.argv[2:]
    authorizer = DummyAuthorizer()
    login = LONG_TEXT if "--long-login" in options else "Login successful."
    authorizer.add_anonymous(root, msg_login=login)
    authorizer.add_user("player", "s3cret", root, perm="elr", msg_login=login)
    TestHandler.authorizer = authorizer
    TestHandler.announce_sizes = "--sizes" in options
    if "--long-banner" in options:
        TestHandler.banner = LONG_TEXT
    for option in options:
        if option.startswith("--pasv-address="):
            TestHandler.masquerade_address = option.split("=", 1)[1]
        elif option.startswith("--pasv-port="):
            TestHandler.passive_ports = [int(option.split("=", 1)[1])]
    server = FTPServer(("127.0.0.1", 0), TestHandler)
    print("port %d" % server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
