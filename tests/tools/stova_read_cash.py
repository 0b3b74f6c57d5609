#!/usr/bin/env python3
"""Reads a member's balance and booking log from a database file with Python's sqlite3 module and
checks them with decimal: prints "<balance> <sum of bookings> <bookings> <consistent> <equal>",
where consistent is 1 when every booking's balance is the one before plus its amount and the last
one is the member's balance, and equal is 1 when the balance equals the expected decimal value.

Usage: stova_read_cash.py <database file> <member id> [<expected balance>]
"""
import sqlite3
import sys
from decimal import Decimal, getcontext

getcontext().prec = 60


def main():
    path, member = sys.argv[1], int(sys.argv[2])
    con = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    (cash,) = con.execute("SELECT cash FROM users WHERE id = ?", (member,)).fetchone()
    rows = con.execute("SELECT amount, balance FROM bookings WHERE user_id = ? ORDER BY id", (member,)).fetchall()
    running = Decimal(0)
    consistent = True
    for amount, after in rows:
        running += Decimal(amount)
        consistent &= running == Decimal(after)
    consistent &= running == Decimal(cash)
    equal = len(sys.argv) < 4 or Decimal(cash) == Decimal(sys.argv[3])
    print(f"{Decimal(cash)} {running} {len(rows)} {1 if consistent else 0} {1 if equal else 0}")


if __name__ == "__main__":
    main()
