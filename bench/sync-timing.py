#!/usr/bin/env python3
"""Times `nvl-hagaki sync` of a 300-record book against a Radicale server
on 127.0.0.1 (started and stopped here): the first sync (300 uploads), a
sync with no changes, and one with all 300 records changed in the book.

    bench/sync-timing.py build/release/src/app/nvl-hagaki
"""
import base64
import os
import subprocess
import sys
import tempfile
import time
import urllib.request

here = os.path.dirname(os.path.abspath(__file__))
fixture = os.path.join(here, '..', 'tests', 'support', 'radicale_fixture.py')


def main(program):
    with tempfile.TemporaryDirectory() as folder:
        server = os.path.join(folder, 'server')
        os.makedirs(server)
        subprocess.run([sys.executable, fixture, 'start', server], check=True)
        try:
            base = open(os.path.join(server, 'url')).read().strip()
            request = urllib.request.Request(
                base + 'alice/bench/', method='MKCOL',
                data=b'<?xml version="1.0"?><D:mkcol xmlns:D="DAV:" '
                     b'xmlns:C="urn:ietf:params:xml:ns:carddav"><D:set><D:prop>'
                     b'<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>'
                     b'</D:prop></D:set></D:mkcol>',
                headers={'Authorization': 'Basic ' + base64.b64encode(b'alice:secret').decode()})
            urllib.request.urlopen(request).close()
            book = os.path.join(folder, 'book.dat')
            password = os.path.join(folder, 'password')
            with open(password, 'w') as f:
                f.write('secret\n')

            def write(street):
                with open(book, 'wb') as f:
                    for i in range(1, 301):
                        f.write(('"宛名%d","東京都千代田区","%s%d","100-0001","","0",""\r\n'
                                 % (i, street, i)).encode('cp932'))

            def sync(what):
                start = time.monotonic()
                done = subprocess.run([program, 'sync', book, base + 'alice/bench/', '--user',
                                       'alice', '--password-file', password],
                                      capture_output=True, text=True)
                took = time.monotonic() - start
                print('%-36s %6.2f s (exit %d)' % (what, took, done.returncode))
                if done.returncode != 0:
                    print(done.stderr)

            write('千代田')
            sync('first sync, 300 uploads')
            sync('300 contacts, no changes')
            write('丸の内')
            sync('300 records changed in the book')
            sync('300 contacts, no changes')
        finally:
            subprocess.run([sys.executable, fixture, 'stop', server])


if __name__ == '__main__':
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    main(sys.argv[1])
