#!/usr/bin/env python3
"""Starts or stops a CardDAV server for the sync tests: Radicale or Xandikos.

    dav_fixture.py start radicale|xandikos DIR   # on a free port of 127.0.0.1
    dav_fixture.py stop DIR

DIR receives the configuration, the storage folder, the server's log, its
process id (pid), its base URL (url) and the path under which the tests
make address books (home). Radicale's user is alice, password secret,
kept in plain text: the tests' own throwaway server. Xandikos asks for no
password (it leaves that to a proxy in front of it).
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import time


def radicale(folder, port):
    with open(os.path.join(folder, 'users'), 'w') as f:
        # bob and carol for discovery: one address book, and none.
        f.write('alice:secret\nbob:secret\ncarol:secret\n')
    with open(os.path.join(folder, 'config'), 'w') as f:
        f.write('[server]\nhosts = 127.0.0.1:%d\n'
                '[auth]\ntype = htpasswd\nhtpasswd_filename = %s\nhtpasswd_encryption = plain\n'
                '[storage]\nfilesystem_folder = %s\n'
                '[rights]\ntype = owner_only\n'
                '[logging]\nlevel = warning\n'
                % (port, os.path.join(folder, 'users'), os.path.join(folder, 'collections')))
    return ['radicale', '--config', os.path.join(folder, 'config')], '/alice/'


def xandikos(folder, port):
    return (['xandikos', '--defaults', '-d', os.path.join(folder, 'collections'),
             '-l', '127.0.0.1', '-p', str(port)], '/user/contacts/')


def start(kind, folder):
    stop(folder)
    os.makedirs(folder, exist_ok=True)
    if shutil.which(kind) is None:
        with open(os.path.join(folder, 'missing'), 'w') as f:
            f.write('%s is not installed\n' % kind)
        print('SKIP: %s is not installed' % kind)
        return 0
    for name in ('missing', 'url', 'home'):
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    shutil.rmtree(os.path.join(folder, 'collections'), ignore_errors=True)
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]
    command, home = (radicale if kind == 'radicale' else xandikos)(folder, port)
    log = open(os.path.join(folder, 'log'), 'w')
    server = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT,
                              start_new_session=True)
    with open(os.path.join(folder, 'pid'), 'w') as f:
        f.write(str(server.pid))
    deadline = time.time() + 20
    while time.time() < deadline:
        if server.poll() is not None:
            print(kind + ' stopped at once; see ' + os.path.join(folder, 'log'))
            return 1
        try:
            socket.create_connection(('127.0.0.1', port), timeout=0.5).close()
            break
        except OSError:
            time.sleep(0.1)
    else:
        print('%s did not listen on port %d' % (kind, port))
        return 1
    with open(os.path.join(folder, 'home'), 'w') as f:
        f.write(home + '\n')
    with open(os.path.join(folder, 'url'), 'w') as f:
        f.write('http://127.0.0.1:%d/\n' % port)
    print('%s on port %d' % (kind, port))
    return 0


def stop(folder):
    path = os.path.join(folder, 'pid')
    if not os.path.exists(path):
        return 0
    with open(path) as f:
        pid = int(f.read().strip() or 0)
    os.remove(path)
    try:
        os.killpg(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    return 0


if __name__ == '__main__':
    if sys.argv[1:2] == ['start'] and len(sys.argv) == 4 and sys.argv[2] in ('radicale', 'xandikos'):
        sys.exit(start(sys.argv[2], sys.argv[3]))
    if sys.argv[1:2] == ['stop'] and len(sys.argv) == 3:
        sys.exit(stop(sys.argv[2]))
    print(__doc__)
    sys.exit(2)
