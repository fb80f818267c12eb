#!/usr/bin/env python3
"""Starts or stops a Radicale CardDAV server for the sync tests.

    radicale_fixture.py start DIR   # a server on a free port of 127.0.0.1
    radicale_fixture.py stop DIR

DIR receives the configuration, the storage folder, the server's log, its
process id (pid) and its base URL (url). The user is alice, password
secret, kept in plain text: the tests' own throwaway server.
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import time


def start(folder):
    stop(folder)
    if shutil.which('radicale') is None:
        with open(os.path.join(folder, 'missing'), 'w') as f:
            f.write('radicale is not installed\n')
        print('SKIP: radicale is not installed')
        return 0
    os.makedirs(folder, exist_ok=True)
    for name in ('missing', 'url'):
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    shutil.rmtree(os.path.join(folder, 'collections'), ignore_errors=True)
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]
    with open(os.path.join(folder, 'users'), 'w') as f:
        f.write('alice:secret\n')
    with open(os.path.join(folder, 'config'), 'w') as f:
        f.write('[server]\nhosts = 127.0.0.1:%d\n'
                '[auth]\ntype = htpasswd\nhtpasswd_filename = %s\nhtpasswd_encryption = plain\n'
                '[storage]\nfilesystem_folder = %s\n'
                '[rights]\ntype = owner_only\n'
                '[logging]\nlevel = warning\n'
                % (port, os.path.join(folder, 'users'), os.path.join(folder, 'collections')))
    log = open(os.path.join(folder, 'log'), 'w')
    server = subprocess.Popen(['radicale', '--config', os.path.join(folder, 'config')],
                              stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    with open(os.path.join(folder, 'pid'), 'w') as f:
        f.write(str(server.pid))
    deadline = time.time() + 20
    while time.time() < deadline:
        if server.poll() is not None:
            print('radicale stopped at once; see ' + os.path.join(folder, 'log'))
            return 1
        try:
            socket.create_connection(('127.0.0.1', port), timeout=0.5).close()
            break
        except OSError:
            time.sleep(0.1)
    else:
        print('radicale did not listen on port %d' % port)
        return 1
    with open(os.path.join(folder, 'url'), 'w') as f:
        f.write('http://127.0.0.1:%d/\n' % port)
    print('radicale on port %d' % port)
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
    if len(sys.argv) != 3 or sys.argv[1] not in ('start', 'stop'):
        print(__doc__)
        sys.exit(2)
    sys.exit(start(sys.argv[2]) if sys.argv[1] == 'start' else stop(sys.argv[2]))
