#!/usr/bin/env python3
"""Times `nvl-hagaki sync` of a 300-record book beside vdirsyncer syncing a
folder of vCards with the same address book, on Radicale and on Xandikos
(started and stopped here on 127.0.0.1): the first sync (the program
sends 300 contacts, vdirsyncer then reads them), then steps that are the
same work for both — a sync with nothing changed, 300 contacts changed on
its own side and sent, 300 changed on the other side and taken.

    bench/sync-timing.py build/release/src/app/nvl-hagaki [ROUNDS]

Prints the median of ROUNDS (default 3) for each, and their ratio.
"""
import base64
import glob
import os
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

here = os.path.dirname(os.path.abspath(__file__))
fixture = os.path.join(here, '..', 'tests', 'support', 'dav_fixture.py')
MKCOL = (b'<?xml version="1.0"?><D:mkcol xmlns:D="DAV:" '
         b'xmlns:C="urn:ietf:params:xml:ns:carddav"><D:set><D:prop>'
         b'<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>'
         b'</D:prop></D:set></D:mkcol>')


def timed(command, **options):
    start = time.monotonic()
    done = subprocess.run(command, capture_output=True, **options)
    took = time.monotonic() - start
    if done.returncode not in (0, 3):
        print(command[0], 'exit', done.returncode, done.stderr.decode(errors='replace')[:400])
    return took


class Round:
    def __init__(self, program, folder, url):
        self.program, self.folder, self.url = program, folder, url
        self.book = os.path.join(folder, 'book.dat')
        self.password = os.path.join(folder, 'password')
        with open(self.password, 'w') as f:
            f.write('secret\n')
        self.vdir = os.path.join(folder, 'phone')
        os.makedirs(self.vdir)
        self.config = os.path.join(folder, 'vdirsyncer.conf')
        with open(self.config, 'w') as f:
            f.write('[general]\nstatus_path = "%s/status/"\n'
                    '[pair p]\na = "local"\nb = "server"\ncollections = null\n'
                    'conflict_resolution = "b wins"\n'
                    '[storage local]\ntype = "filesystem"\npath = "%s/"\nfileext = ".vcf"\n'
                    '[storage server]\ntype = "carddav"\nurl = "%s"\n'
                    'username = "alice"\npassword = "secret"\n' % (folder, self.vdir, url))
        subprocess.run(['vdirsyncer', '-c', self.config, 'discover', 'p'], input=b'y\n' * 4,
                       capture_output=True, check=True)

    def write_book(self, street):
        with open(self.book, 'wb') as f:
            for i in range(1, 301):
                f.write(('"宛名%d","東京都千代田区","%s%d","100-0001","","0",""\r\n'
                         % (i, street, i)).encode('cp932'))

    def nvl(self):
        return timed([self.program, 'sync', self.book, self.url, '--user', 'alice',
                      '--password-file', self.password])

    def phone(self):
        return timed(['vdirsyncer', '-c', self.config, 'sync'])

    def edit_phone(self, old, new):
        for path in glob.glob(os.path.join(self.vdir, '*.vcf')):
            with open(path, 'rb') as f:
                card = f.read()
            with open(path, 'wb') as f:
                f.write(card.replace(old.encode(), new.encode()))


def address_book(server_folder, home, name):
    """A new, empty address book on the fixture's server; its URL."""
    base = open(os.path.join(server_folder, 'url')).read().strip()
    url = base + home.lstrip('/') + name + '/'
    request = urllib.request.Request(url, method='MKCOL', data=MKCOL, headers={
        'Authorization': 'Basic ' + base64.b64encode(b'alice:secret').decode(),
        'Content-Type': 'application/xml'})
    urllib.request.urlopen(request).close()
    return url


def one_round(program, server_folder, home, name):
    url = address_book(server_folder, home, name)
    with tempfile.TemporaryDirectory() as folder:
        r = Round(program, folder, url)
        times = {}
        r.write_book('千代田')
        times['first: sends 300 / reads 300'] = (r.nvl(), r.phone())
        times['nothing changed'] = (r.nvl(), r.phone())
        r.write_book('丸の内')
        nvl_sends = r.nvl()
        phone_takes = r.phone()
        r.edit_phone('丸の内', '大手町')
        phone_sends = r.phone()
        nvl_takes = r.nvl()
        times['300 changed here: sent'] = (nvl_sends, phone_sends)
        times['300 changed elsewhere: taken'] = (nvl_takes, phone_takes)
        return times


def thousand(program, server_folder, home, name):
    """1,000 contacts the phone made, the book full at 300: a sync with
    nothing changed, beside vdirsyncer's."""
    url = address_book(server_folder, home, name)
    with tempfile.TemporaryDirectory() as folder:
        r = Round(program, folder, url)
        for i in range(1000):
            with open(os.path.join(r.vdir, 'p%d.vcf' % i), 'w') as f:
                f.write('BEGIN:VCARD\r\nVERSION:3.0\r\nUID:p%d\r\nFN:電話%d\r\n'
                        'ADR;TYPE=HOME:;;%d-1;港区;東京都;108-0075;\r\nEND:VCARD\r\n' % (i, i, i))
        r.phone()
        r.write_book('千代田')
        r.nvl()
        r.phone()
        r.nvl()
        return r.nvl(), r.phone()


def main(program, rounds):
    for kind in ('radicale', 'xandikos'):
        with tempfile.TemporaryDirectory() as server:
            subprocess.run([sys.executable, fixture, 'start', kind, server], check=True,
                           capture_output=True)
            try:
                home = open(os.path.join(server, 'home')).read().strip()
                results = [one_round(program, server, home, 'bench%d' % i)
                           for i in range(rounds)]
            finally:
                subprocess.run([sys.executable, fixture, 'stop', server])
        if kind == 'xandikos':
            with tempfile.TemporaryDirectory() as server:
                subprocess.run([sys.executable, fixture, 'start', kind, server], check=True,
                               capture_output=True)
                try:
                    home = open(os.path.join(server, 'home')).read().strip()
                    mine, theirs = thousand(program, server, home, 'thousand')
                finally:
                    subprocess.run([sys.executable, fixture, 'stop', server])
            print('\nxandikos, 1,300 contacts, the book full, nothing changed: '
                  'nvl-hagaki %.2fs, vdirsyncer %.2fs, ratio %.2f' % (mine, theirs, mine / theirs))
        print('\n%s, median of %d rounds:' % (kind, rounds))
        print('%-36s %10s %12s %7s' % ('', 'nvl-hagaki', 'vdirsyncer', 'ratio'))
        for step in results[0]:
            mine = statistics.median(r[step][0] for r in results)
            theirs = statistics.median(r[step][1] for r in results)
            print('%-36s %9.2fs %11.2fs %7.2f' % (step, mine, theirs, mine / theirs))


if __name__ == '__main__':
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        sys.exit(2)
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) == 3 else 3)
