#!/usr/bin/env python3
"""Writes the fuzzers' seed corpus: real-shaped files of every kind the
program reads (CP932, UTF-8 with and without BOM, old six-field, 300 and 301
records, truncated, binary)."""
import os
import sys

top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
out = os.path.join(top, 'fuzz', 'corpus')


def record(i, fields=7):
    values = ['山田 太郎%d' % i, '東京都千代田区丸の内%d' % i, '一丁目2-3, 4F', '100-%04d' % i,
              'C%d' % i, str(i % 6), 'ＮＶＬビル']
    return ','.join('"%s"' % v for v in values[:fields]) + '\r\n'


def book(n, fields=7):
    return ''.join(record(i, fields) for i in range(1, n + 1))


def write(target, name, data):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


books = {
    'cp932-3.dat': book(3).encode('cp932'),
    'cp932-300.dat': book(300).encode('cp932'),
    'cp932-301.dat': book(301).encode('cp932'),
    'utf8-bom.dat': b'\xef\xbb\xbf' + (book(2) + '"𠮷田","鷗","","","","0",""\r\n').encode('utf-8'),
    'utf8-plain.dat': book(2).encode('utf-8'),
    'old-5.dat': book(5, 6).encode('cp932'),
    'old-7.dat': book(7, 6).encode('cp932'),
    'truncated.dat': book(3).encode('cp932')[:-17],
    'no-final-crlf.dat': book(2).encode('cp932')[:-2],
    'unquoted.dat': 'a ,b,  c,1,2, 3,x\r\n'.encode('cp932'),
    'binary.dat': bytes(range(256)),
    'empty.dat': b'',
}
for name, data in books.items():
    write('fuzz_bookfile', name, data)
    if len(data) < 4096:
        write('fuzz_quotedfields', name, data)

settings = {
    'ini.ini': '"/home/user/住所録.dat","3"\r\n'.encode('cp932'),
    'ini-new.ini': '"新規作成","2"\r\n'.encode('cp932'),
    'opt.opt': b'"1440","880","0"\r\n',
    'opt-short.opt': b'"1240"\r\n',
    'wolt.tds': ''.join('"100-000%d","住所%d","番地","差出人%d"\r\n' % (i, i, i)
                        for i in range(4)).encode('cp932'),
    'wolt-short.tds': b'"1","2"\r\n"3"',
    'binary.bin': bytes(range(255, -1, -1)),
}
for name, data in settings.items():
    write('fuzz_settings', name, data)
    write('fuzz_quotedfields', name, data)
print('seed corpus written to', out, file=sys.stderr)
