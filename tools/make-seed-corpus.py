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


def qp(data):
    """Quoted-printable, every byte encoded, with soft line breaks."""
    out = b''
    for i, x in enumerate(data):
        out += b'=%02X' % x
        if i % 10 == 9 and i + 1 < len(data):
            out += b'=\r\n'
    return out


vcards = {
    'v30-two-cards.vcf': (
        'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田 太郎\r\nN:山田;太郎;;;\r\n'
        'ADR;TYPE=WORK:;;丸の内1-1;千代田区;東京都;100-0005;日本\r\n'
        'ADR;TYPE=HOME:;グランハイツ101;千代田1-2-3;千代田\r\n 区;東京都;1000001;日本\r\n'
        'END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:佐藤;花子;;;\r\n'
        'item1.ADR;type=HOME;type=pref:;;梅田3-1;大阪市北区;大阪府;〒５３０－０００１;\r\n'
        'END:VCARD\r\n').encode('utf-8'),
    'v21-qp-sjis.vcf': (
        b'BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:' +
        qp('高橋'.encode('cp932')) + b';' + qp('一郎'.encode('cp932')) +
        b'\r\nADR;HOME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:;;' +
        qp('東京都千代田区千代田１－１'.encode('cp932')) + b';;;100-0001;\r\nEND:VCARD\r\n'),
    'v40-label.vcf': (
        'BEGIN:VCARD\nVERSION:4.0\nFN:伊藤 誠\n'
        'ADR;TYPE="home,work";LABEL="住所: 札幌":;;北一条西2-1;札幌市中央区;北海道;060-0001;\n'
        'END:VCARD\nBEGIN:VCARD\nVERSION:4.0\nFN:電話だけの人\nTEL:0312345678\nEND:VCARD\n'
    ).encode('utf-8'),
    'readings-tags.vcf': (
        'BEGIN:VCARD\r\nVERSION:4.0\r\nFN:佐藤 花子\r\nN;SORT-AS="さとう,はなこ":佐藤;花子;;;\r\n'
        'X-PHONETIC-LAST-NAME:サトウ\r\nSORT-STRING:さとう\r\nCATEGORIES:家族,大学\\,同期\r\n'
        'X-NVL-RENMEI:太郎;様\r\nADR:;;梅田1;大阪市北区;大阪府;530-0001;\r\nEND:VCARD\r\n'
    ).encode('utf-8'),
}
for name, data in vcards.items():
    write('fuzz_vcard', name, data)

japanese = ('氏名,郵便番号,住所,建物名,敬称\r\n'
            '山田 太郎,〒100-0001,東京都千代田区千代田1-1,"ハイツ""A"", 1",殿\r\n住所なし,,,,\r\n')
csvs = {
    'japanese-utf8-bom.csv': b'\xef\xbb\xbf' + japanese.encode('utf-8'),
    'japanese-cp932.csv': japanese.encode('cp932'),
    'google.csv': (
        'Name,Given Name,Family Name,Address 1 - Type,Address 1 - Formatted,'
        'Address 1 - Street,Address 1 - City,Address 1 - Region,Address 1 - Postal Code,'
        'Address 1 - Extended Address\n鈴木 一郎,一郎,鈴木,Home,"〒530-0001\n'
        '大阪府大阪市北区梅田1-1",梅田1-1,大阪市北区,大阪府,530-0001,梅田ビル5F\n').encode('utf-8'),
    'outlook.csv': ('First Name,Last Name,Home Street,Home City,Home State,Home Postal Code\r\n'
                    '花子,佐藤,大保1-2,小郡市,福岡県,8380106\r\n').encode('utf-8'),
    'export.csv': b'\xef\xbb\xbf' + (
        '"氏名","住所１","住所２","郵便番号","コード","敬称","建物名"\r\n'
        '"株式会社 NVL","東京都港区","芝公園4-2-8","105-0011","A1","御中",""\r\n').encode('utf-8'),
    'readings-tags.csv': ('氏名,ﾌﾘｶﾞﾅ,郵便番号,住所1,連名1,連名1敬称,タグ\r\n'
                          '山田 太郎,ﾔﾏﾀﾞ ﾀﾛｳ,100-0001,東京都千代田区1,花子,様,"家族;友人、家族"\r\n'
                          ).encode('cp932'),
}
for name, data in csvs.items():
    write('fuzz_csvimport', name, data)
import json


def companion(generations, settings=None, version=1):
    return json.dumps({'format': 'nvl-hagaki companion', 'version': version,
                       'settings': settings or {}, 'generations': generations},
                      ensure_ascii=False, indent=4).encode('utf-8')


def entry(name, position, data):
    return {'name': name, 'postalCode': '100-0001', 'address1': '東京都千代田区' + name,
            'position': position, 'data': data}


sha1 = '11' * 32
sha2 = '22' * 32
two = companion([
    {'bookSha256': sha2, 'saved': '2026-12-08T10:00:00Z',
     'entries': [entry('甲', 0, {'joint': ['花子', '一郎']}),
                 entry('乙', -1, {'reading': 'おつ', 'tags': ['親戚']})]},
    {'bookSha256': sha1, 'saved': '2026-12-07T10:00:00Z',
     'entries': [entry('甲', 1, {'joint': ['花子']})]}],
    settings={'lastYear': 2026})
companions = {
    'two-generations.nvl': two,
    'empty.nvl': companion([]),
    'same-names.nvl': companion([{'bookSha256': sha1, 'saved': '', 'entries': [
        entry('同名', i, {'history': [{'year': 2025 + i, 'sent': True}]}) for i in range(5)]}]),
    'truncated.nvl': two[:len(two) // 2],
    'later-version.nvl': companion([], version=2),
    'wrong-types.nvl': companion([{'bookSha256': 'xyz', 'saved': 3, 'entries': [
        {'name': 1, 'position': '0', 'data': []}]}]),
}
for name, data in companions.items():
    write('fuzz_companion', name, data)
print('seed corpus written to', out, file=sys.stderr)
