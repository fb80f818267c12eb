#!/usr/bin/env python3
"""The postal table of two builds side by side: `zip` as a whole process (a
code and an address), the first use inside bench_postal, and the table's
size. Runs are paired and interleaved; the ratio is NEW / OLD of medians.

    bench/postal-ratio.py OLD_BUILD_DIR NEW_BUILD_DIR [ROUNDS]

Each build directory is a release build (build/release) of its commit.
"""
import os
import re
import statistics
import subprocess
import sys
import time

QUERIES = ["1000001", "東京都千代田区丸の内2-4-1", "大阪府大阪市北区梅田3-1-3"]


def zip_seconds(build, query):
    program = os.path.join(build, "src", "app", "nvl-hagaki")
    start = time.perf_counter()
    subprocess.run([program, "zip", query], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - start


def first_use_ms(build):
    """Loading the table and its first two lookups, inside bench_postal (build
    the same bench source in both trees)."""
    out = subprocess.run([os.path.join(build, "bench", "bench_postal")], capture_output=True,
                         text=True, check=True).stdout
    load = float(re.search(r"first use \(load\) ([0-9.]+) ms", out).group(1))
    return load + float(re.search(r"first lookups [^:]*: ([0-9.]+) ms", out).group(1))


def table_bytes(build):
    return os.path.getsize(os.path.join(build, "src", "postal", "postalcodes.bin"))


def main():
    old, new = sys.argv[1], sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 30
    times = {(build, q): [] for build in (old, new) for q in QUERIES}
    first = {old: [], new: []}
    for n in range(rounds):
        order = (old, new) if n % 2 == 0 else (new, old)
        for build in order:
            for query in QUERIES:
                times[(build, query)].append(zip_seconds(build, query))
            first[build].append(first_use_ms(build))
    for query in QUERIES:
        a = statistics.median(times[(old, query)]) * 1000
        b = statistics.median(times[(new, query)]) * 1000
        print("zip %s: %.1f ms against %.1f ms, x%.2f" % (query, b, a, b / a))
    a, b = statistics.median(first[old]), statistics.median(first[new])
    print("first use and lookups in process: %.3f ms against %.3f ms, x%.2f" % (b, a, b / a))
    print("table: %d bytes against %d bytes, x%.2f"
          % (table_bytes(new), table_bytes(old), table_bytes(new) / table_bytes(old)))


if __name__ == "__main__":
    main()
