#!/usr/bin/env python3
"""A CardDAV server that misbehaves on purpose, for the sync's tests.

    hostile_dav.py DIR [CERT KEY]

Listens on two free ports of 127.0.0.1 (with TLS when given a certificate):
the server itself, whose URL goes to DIR/url, and "elsewhere", another
origin, whose URL goes to DIR/elsewhere. Every request is logged, one line
each ("METHOD path authorization"), to DIR/requests.log or
DIR/elsewhere.log. The first part of a path picks the behaviour, the
address book being /MODE/ab/:

  plain     an address book (user alice, password in DIR/password, Basic)
  digest    the same, asking for Digest authentication
  foreign   the same, listing besides its two contacts one on the other
            origin and one outside the address book (../../etc/c1.vcf)
  redirect  every request sent on, 307, to the same path elsewhere
  huge      a 2 GiB listing           endless  a listing that never ends
  trickle   a listing at a byte a second
  busy      503 to everything          stall    answers once authorised, never
  weak      ETags weak (W/"n"), which If-Match never matches (strong comparison)
  volatile  a listing's ETags new at every listing; only the contact's own matches
"""
import hashlib
import os
import re
import secrets
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

FOLDER = sys.argv[1]
PASSWORD = open(os.path.join(FOLDER, 'password')).read().strip()
REALM = 'hostile'
NONCE = secrets.token_hex(16)
contacts = {}  # path -> (etag, card)
lock = threading.Lock()
counter = [0]
SEEDED = {
    'c1.vcf': 'BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c1\r\nFN:一の人\r\n'
              'ADR;TYPE=HOME:;;1-1;千代田区;東京都;100-0001;\r\nEND:VCARD\r\n',
    'c2.vcf': 'BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c2\r\nFN:二の人\r\n'
              'ADR;TYPE=HOME:;;2-2;千代田区;東京都;100-0001;\r\nEND:VCARD\r\n',
}


def md5(text):
    return hashlib.md5(text.encode()).hexdigest()


def digest_ok(header, method):
    fields = dict(re.findall(r'(\w+)="?([^",]*)"?', header))
    if fields.get('username') != 'alice' or fields.get('nonce') != NONCE:
        return False
    ha1 = md5('alice:%s:%s' % (REALM, PASSWORD))
    ha2 = md5('%s:%s' % (method, fields.get('uri', '')))
    expected = md5(':'.join([ha1, NONCE, fields.get('nc', ''), fields.get('cnonce', ''),
                             fields.get('qop', ''), ha2]))
    return fields.get('response') == expected


class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    log_name = 'requests.log'
    other = ''

    def log_message(self, *args):
        pass

    def record(self):
        with lock, open(os.path.join(FOLDER, self.log_name), 'a') as log:
            log.write('%s %s %s\n' % (self.command, self.path,
                                      self.headers.get('Authorization', '-')))

    def body(self):
        length = int(self.headers.get('Content-Length') or 0)
        return self.rfile.read(length) if length else b''

    def answer(self, status, body=b'', headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def authorised(self, mode):
        given = self.headers.get('Authorization', '')
        if mode == 'digest':
            if given.startswith('Digest ') and digest_ok(given, self.command):
                return True
            challenge = 'Digest realm="%s", nonce="%s", qop="auth", algorithm=MD5' % (REALM, NONCE)
        else:
            import base64
            if given == 'Basic ' + base64.b64encode(('alice:' + PASSWORD).encode()).decode():
                return True
            challenge = 'Basic realm="%s"' % REALM
        self.answer(401, b'', [('WWW-Authenticate', challenge)])
        return False

    def dispatch(self):
        self.record()
        request = self.body()
        mode = self.path.strip('/').split('/')[0]
        if self.log_name == 'elsewhere.log':
            # Elsewhere asks for a password too, hoping to be given one.
            self.answer(401, b'', [('WWW-Authenticate', 'Basic realm="elsewhere"')])
            return
        if mode == 'redirect':
            self.answer(307, b'', [('Location', self.other + self.path.lstrip('/'))])
            return
        if mode == 'busy':
            self.answer(503, b'busy')
            return
        if not self.authorised(mode):
            return
        base = '/%s/ab/' % mode
        if mode == 'stall':
            time.sleep(3600)
        if self.command == 'PROPFIND' and self.headers.get('Depth') == '1':
            if mode in ('huge', 'endless', 'trickle'):
                self.stream(mode)
                return
            self.listing(base, mode)
        elif self.command == 'PROPFIND':
            self.multistatus('<D:response><D:href>%s</D:href><D:propstat><D:prop>'
                             '<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>'
                             '<D:displayname>hostile</D:displayname></D:prop>'
                             '<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>'
                             % base)
        elif self.command == 'REPORT':
            self.multiget(request)
        elif self.command == 'PUT':
            self.put(request)
        elif self.command == 'DELETE':
            with lock:
                contacts.pop(self.path, None)
            self.answer(204)
        else:
            self.answer(405)

    def multistatus(self, responses):
        body = ('<?xml version="1.0" encoding="utf-8"?><D:multistatus xmlns:D="DAV:" '
                'xmlns:C="urn:ietf:params:xml:ns:carddav">%s</D:multistatus>' % responses)
        self.answer(207, body.encode(), [('Content-Type', 'application/xml; charset=utf-8')])

    def shown(self, etag):
        mode = self.path.strip('/').split('/')[0]
        if mode == 'weak':
            return 'W/' + etag
        if mode == 'volatile':
            return etag[:-1] + '-%s"' % secrets.token_hex(4)
        return etag

    def listing(self, base, mode):
        with lock:
            if not any(path.startswith(base) for path in contacts):
                for name, card in SEEDED.items():
                    contacts[base + name] = ('"s-%s"' % name, card)
            items = [(path, self.shown(etag)) for path, (etag, _) in contacts.items()
                     if path.startswith(base)]
        if mode == 'foreign':
            items += [(self.other + 'foreign/ab/x.vcf', '"x"'), (base + '../../etc/c1.vcf', '"e"')]
        self.multistatus(''.join(
            '<D:response><D:href>%s</D:href><D:propstat><D:prop><D:getetag>%s</D:getetag>'
            '</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>'
            % (path, etag) for path, etag in items))

    def multiget(self, request):
        wanted = re.findall(r'<D:href>([^<]*)</D:href>', request.decode())
        with lock:
            found = [(path, contacts[path]) for path in wanted if path in contacts]
        if self.path.strip('/').split('/')[0] == 'weak':
            found = [(path, ('W/' + etag, card)) for path, (etag, card) in found]
        self.multistatus(''.join(
            '<D:response><D:href>%s</D:href><D:propstat><D:prop><D:getetag>%s</D:getetag>'
            '<C:address-data>%s</C:address-data></D:prop><D:status>HTTP/1.1 200 OK</D:status>'
            '</D:propstat></D:response>'
            % (path, etag, card.replace('&', '&amp;').replace('<', '&lt;'))
            for path, (etag, card) in found))

    def put(self, request):
        with lock:
            there = contacts.get(self.path)
            if (self.headers.get('If-None-Match') == '*' and there) or (
                    self.headers.get('If-Match') and (not there or
                                                      there[0] != self.headers['If-Match'])):
                self.answer(412)
                return
            counter[0] += 1
            etag = '"%d"' % counter[0]
            contacts[self.path] = (etag, request.decode('utf-8', 'replace'))
        weak = self.path.strip('/').split('/')[0] == 'weak'
        self.answer(201, b'', [('ETag', 'W/' + etag if weak else etag)])

    def stream(self, mode):
        self.send_response(207)
        self.send_header('Content-Type', 'application/xml')
        if mode == 'endless':
            self.send_header('Transfer-Encoding', 'chunked')
        else:
            self.send_header('Content-Length', str(2 << 30 if mode == 'huge' else 1000))
        self.end_headers()
        chunk = b'<!-- ' + b'x' * (1 << 20) + b' -->'
        try:
            while True:
                if mode == 'trickle':
                    self.wfile.write(b' ')
                    self.wfile.flush()
                    time.sleep(1)
                elif mode == 'endless':
                    self.wfile.write(b'%x\r\n%s\r\n' % (len(chunk), chunk))
                else:
                    self.wfile.write(chunk)
        except OSError:
            pass
        self.close_connection = True

    do_PROPFIND = do_REPORT = do_PUT = do_DELETE = do_GET = do_MKCOL = dispatch


def serve(handler, name, tls):
    server = ThreadingHTTPServer(('127.0.0.1', 0), handler)
    server.daemon_threads = True
    scheme = 'http'
    if tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(tls[0], tls[1])
        server.socket = context.wrap_socket(server.socket, server_side=True)
        scheme = 'https'
    url = '%s://127.0.0.1:%d/' % (scheme, server.server_address[1])
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return url


if __name__ == '__main__':
    tls = sys.argv[2:4] if len(sys.argv) >= 4 else None
    elsewhere = serve(type('Elsewhere', (Handler,), {'log_name': 'elsewhere.log'}), 'elsewhere',
                      tls)
    here = serve(type('Here', (Handler,), {'other': elsewhere}), 'here', tls)
    for name, value in (('elsewhere', elsewhere), ('url', here)):
        with open(os.path.join(FOLDER, name + '.tmp'), 'w') as f:
            f.write(value + '\n')
        os.replace(os.path.join(FOLDER, name + '.tmp'), os.path.join(FOLDER, name))
    while True:
        time.sleep(3600)
