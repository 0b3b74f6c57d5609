#!/usr/bin/env python3
"""Writes the country list that the account forms offer, as a resource-script chunk.

The names and two-letter codes are those of ISO 3166-1 as Debian's iso-codes package ships them
(/usr/share/iso-codes/json/iso_3166-1.json); a country's common name is taken where the standard
gives one ("Bolivia" rather than "Bolivia, Plurinational State of"). The list is sorted by name as
a player reads it (accents do not count), written in Windows-1252 like every script of the
client. Names longer than the client keeps (50 characters) or outside Windows-1252 stop the run.

Usage: makecountrylist.py [--input iso_3166-1.json] [--output data/xrs/countrylist.xrs]
The result is committed; run this again when iso-codes brings new countries.
"""
import argparse
import json
import subprocess
import sys
import unicodedata

DEFAULT_INPUT = "/usr/share/iso-codes/json/iso_3166-1.json"
NAME_LENGTH = 50


def sort_key(name):
    plain = unicodedata.normalize("NFKD", name)
    plain = "".join(c for c in plain if not unicodedata.combining(c))
    return (plain.casefold(), name)


def countries(data):
    result = []
    for entry in data["3166-1"]:
        name = entry.get("common_name", entry["name"])
        code = entry["alpha_2"]
        if len(code) != 2 or not code.isascii() or not code.isupper():
            sys.exit(f"makecountrylist: a code that is not two capital letters: {code!r}")
        if len(name) > NAME_LENGTH:
            sys.exit(f"makecountrylist: a name of more than {NAME_LENGTH} characters: {name!r}")
        if '"' in name or "\\" in name:
            sys.exit(f"makecountrylist: a name the script cannot quote: {name!r}")
        try:
            name.encode("cp1252")
        except UnicodeEncodeError:
            sys.exit(f"makecountrylist: a name outside Windows-1252: {name!r}")
        result.append((name, code))
    codes = [c for _, c in result]
    if len(set(codes)) != len(codes):
        sys.exit("makecountrylist: a code given twice")
    return sorted(result, key=lambda nc: sort_key(nc[0]))


def package_version():
    try:
        out = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "iso-codes"], capture_output=True, text=True)
        return out.stdout.strip() if out.returncode == 0 else ""
    except OSError:
        return ""


def script(entries, version):
    source = "Debian's iso-codes" + (f" {version}" if version else "")
    lines = [
        "; The countries of the account forms: ISO 3166-1 names and two-letter codes from",
        f"; {source}, written by tools/countrylist/makecountrylist.py (do not edit by hand).",
        "; The client's main script carries this chunk; a country list from the server replaces it.",
        "{ = CountryList",
    ]
    lines += [f'    Country = "{name}", {code}' for name, code in entries]
    lines.append("}")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--input", default=DEFAULT_INPUT)
    parser.add_argument("--output", default="-")
    parser.add_argument("--version", default=None, help="the iso-codes version named in the header")
    args = parser.parse_args()
    with open(args.input, encoding="utf-8") as f:
        entries = countries(json.load(f))
    version = args.version if args.version is not None else (package_version() if args.input == DEFAULT_INPUT else "")
    text = script(entries, version).encode("cp1252")
    if args.output == "-":
        sys.stdout.buffer.write(text)
    else:
        with open(args.output, "wb") as f:
            f.write(text)


if __name__ == "__main__":
    main()
