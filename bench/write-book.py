#!/usr/bin/env python3
"""Writes the benchmarks' book: 300 records in CP932, every honorific and
a building line, as a full book of real users looks."""
import sys

lines = []
for i in range(1, 301):
    lines.append('"山田 太郎%d","東京都千代田区丸の内%d","一丁目2番3号","100-%04d","C%d","%d","ＮＶＬビル %d階"\r\n'
                 % (i, i, i, i, i % 6, i % 30))
open(sys.argv[1], 'wb').write(''.join(lines).encode('cp932'))
