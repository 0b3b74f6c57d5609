#!/usr/bin/python3
"""A burst of clients against a server of the communication library, for its tests.

Usage: burst_peer.py PORT CLIENTS SLOW SECONDS [TARGET_HOST TARGET_PORT]

First SLOW peers connect to 127.0.0.1:PORT and send three bytes of a packet header, and then
nothing more; they hold their connections until the end. Then CLIENTS clients connect all at once,
each sends one raw-data packet ("PCKT", type 1, a payload of its own) and waits for the same
bytes to come back. With a target, each connection goes through the forwarding proxy at PORT: it
first sends the 48-byte location header naming TARGET_HOST:TARGET_PORT.

Prints "slow N" once the slow peers hold their connections, then "served N of CLIENTS" (the clients
whose packet came back whole within SECONDS), and finally "slow-open N" (slow peers whose
connection was still open at the end).
"""
import asyncio
import struct
import sys


def packet(payload):
    """A raw-data packet: magic, type 1, split bytes zero, the whole size big-endian, the payload."""
    return b"PCKT" + bytes([1, 0, 0, 0]) + struct.pack(">I", 12 + len(payload)) + payload


def location(host, port):
    """The proxy's location header: magic, eight zero bytes, host in 30 bytes, port text in 6."""
    return b"PLOC" + bytes(8) + host.encode().ljust(30, b"\0") + str(port).encode().ljust(6, b"\0")


def payload_of(index):
    seed = ("client %d " % index).encode()
    return (seed * (1 + 1500 // len(seed)))[: 700 + index * 7]


async def open_to(port, first):
    reader, writer = await asyncio.open_connection("127.0.0.1", port)
    if first:
        writer.write(first)
        await writer.drain()
    return reader, writer


async def client(index, port, first):
    sent = packet(payload_of(index))
    try:
        reader, writer = await open_to(port, first)
        writer.write(sent)
        await writer.drain()
        back = await reader.readexactly(len(sent))
        writer.close()
        return back == sent
    except (OSError, asyncio.IncompleteReadError):
        return False


async def still_open(reader):
    try:
        return await asyncio.wait_for(reader.read(1), 0.05) != b""
    except asyncio.TimeoutError:
        return True
    except OSError:
        return False


async def main():
    port, clients, slow, seconds = (int(a) for a in sys.argv[1:5])
    first = location(sys.argv[5], int(sys.argv[6])) if len(sys.argv) > 6 else b""
    holders = []
    for _ in range(slow):
        try:
            holders.append(await open_to(port, first + b"PCK"))
        except OSError:
            pass
    print("slow %d" % len(holders), flush=True)
    tasks = [asyncio.ensure_future(client(i, port, first)) for i in range(clients)]
    done, pending = await asyncio.wait(tasks, timeout=seconds)
    for task in pending:
        task.cancel()
    served = sum(1 for task in done if task.result())
    print("served %d of %d" % (served, clients), flush=True)
    open_count = 0
    for reader, writer in holders:
        open_count += await still_open(reader)
        writer.close()
    print("slow-open %d" % open_count, flush=True)


if __name__ == "__main__":
    asyncio.run(main())
