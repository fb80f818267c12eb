#!/usr/bin/env python3
"""Compares the program's CP932 table with Python's cp932 codec and lists
where they differ. Python's codec follows Microsoft's table, ICU's follows
IBM's choices for duplicated characters: the two are expected to differ on
the characters that have two byte sequences (髙: ICU FBFC, Python EEE0)."""
import sys
from pathlib import Path

table = Path(sys.argv[1] if len(sys.argv) > 1 else
             Path(__file__).resolve().parents[2] / 'src/addressbook/cp932.txt')
decode, encode = {}, {}
for line in table.read_text(encoding='ascii').splitlines():
    parts = line.split()
    if not parts or parts[0] == '#':
        continue
    if parts[0] == 'D':
        seq, code = bytes.fromhex(parts[1]), int(parts[2], 16)
        decode[seq] = code
        encode.setdefault(code, seq)
    elif parts[0] == 'E':
        encode[int(parts[1], 16)] = bytes.fromhex(parts[2])
    elif parts[0] == 'N':
        encode.pop(int(parts[1], 16), None)

differ = []
for code in range(0x10000):
    if 0xD800 <= code < 0xE000:
        continue
    try:
        python = chr(code).encode('cp932')
    except UnicodeEncodeError:
        python = None
    if encode.get(code) != python:
        differ.append((code, encode.get(code), python))
decode_differ = 0
for seq, code in decode.items():
    try:
        if seq.decode('cp932') != chr(code):
            decode_differ += 1
    except UnicodeDecodeError:
        decode_differ += 1
for code, ours, python in differ[:20]:
    print(f'U+{code:04X} {chr(code)}: table {ours.hex() if ours else "-"}, '
          f'Python {python.hex() if python else "-"}')
print(f'{len(differ)} code points encode differently, '
      f'{decode_differ} byte sequences decode differently')
