#!/usr/bin/env python3
"""Runs one query on a database file with Python's sqlite3 module, read-only, and prints each row
tab-separated: integers in decimal, NULL as "NULL", texts and blobs as hex (so any byte of a text
reaches the test as it is stored).

Usage: stova_rows.py FILE   (FILE: the database path on its first line, the query on the rest)
"""
import sqlite3
import sys


def cell(value):
    if value is None:
        return "NULL"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, str):
        return value.encode("latin-1", "surrogateescape").hex()
    return bytes(value).hex()


def main():
    with open(sys.argv[1], encoding="latin-1") as f:
        path, _, query = f.read().partition("\n")
    con = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    con.text_factory = lambda b: b.decode("latin-1")
    for row in con.execute(query):
        print("\t".join(cell(v) for v in row))


if __name__ == "__main__":
    main()
