"""A player's balance as the player database keeps it, read with Python's own sqlite3.

Input: a file with two lines, the database's path and the player's name. Output: the balance in
the users table, then the balance after the last booking, then the starting balance plus every
booking's amount ("-" where there are no bookings), each as exact decimal text with two places.
"""
import sqlite3
import sys
from decimal import Decimal


def two_places(value):
    return str(Decimal(value).quantize(Decimal("0.01")))


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        path, name = [line.strip() for line in f.read().splitlines()[:2]]
    db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    user_id, cash = db.execute("SELECT id, cash FROM users WHERE name = ?", (name,)).fetchone()
    rows = db.execute("SELECT amount, balance FROM bookings WHERE user_id = ? ORDER BY id", (user_id,)).fetchall()
    print(two_places(cash))
    if not rows:
        print("-")
        print("-")
        return
    print(two_places(rows[-1][1]))
    # The first booking's balance before it is the starting balance.
    start = Decimal(rows[0][1]) - Decimal(rows[0][0])
    print(two_places(start + sum(Decimal(amount) for amount, _ in rows)))


main()
