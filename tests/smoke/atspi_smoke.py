#!/usr/bin/python3
"""Black-box smoke tests of the built program, driven over the accessibility
bus (AT-SPI) the way a screen-reader user drives it.

Usage: atspi_smoke.py PROGRAM CUPS_QUEUE_HELPER [SCENARIO ...]

Each scenario runs in a process of its own, inside a session of its own: a
virtual X display, a private D-Bus session bus and an AT-SPI bus, with the
program on the xcb platform (the offscreen platform never reaches the bus).
"""

import contextlib
import json
import os
import re
import shutil
import socket
import stat
import subprocess
import sys
import tempfile
import time
import traceback

SKIP = 77
SCENARIO_TIMEOUT = 240


# ---------------------------------------------------------------- the session

class Session:
    """An X display, a D-Bus session bus and an AT-SPI bus of their own."""

    def __init__(self, folder, screen='1280x1024x24', window_manager=False):
        self.processes = []
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(('QT_', 'DBUS_', 'AT_SPI', 'WAYLAND'))}
        runtime = os.path.join(folder, 'runtime')
        os.mkdir(runtime, 0o700)
        self.env.update({
            'XDG_RUNTIME_DIR': runtime,
            'HOME': os.path.join(folder, 'home'),
            'LC_ALL': 'C.UTF-8',
            'NO_AT_BRIDGE': '0',
        })
        os.mkdir(self.env['HOME'])

        # A display number not used a moment ago: a server going away can
        # still be tidying up its socket while a new one takes the number.
        number = next(n for n in range(300 + os.getpid() % 500, 1300)
                      if not os.path.exists('/tmp/.X%d-lock' % n))
        read_end, write_end = os.pipe()
        self._start(['Xvfb', ':%d' % number, '-displayfd', str(write_end), '-screen', '0',
                     screen, '-nolisten', 'tcp', '-noreset'], pass_fds=[write_end])
        os.close(write_end)
        with os.fdopen(read_end) as display:
            number = display.readline().strip()
        if not number:
            raise RuntimeError('Xvfb did not start')
        self.env['DISPLAY'] = ':' + number
        # Ready when its socket takes a connection (-noreset: the last client
        # leaving must not make the server start over).
        deadline = time.time() + 20
        while True:
            probe = socket.socket(socket.AF_UNIX)
            try:
                probe.connect('/tmp/.X11-unix/X' + number)
                break
            except OSError:
                if time.time() > deadline:
                    raise RuntimeError('Xvfb :%s takes no connection' % number)
                time.sleep(0.05)
            finally:
                probe.close()

        if window_manager:
            # Title bars and placement as on a desktop: windows are moved
            # and framed by someone other than the program.
            self._start(['openbox', '--sm-disable'])

        bus = self._start(['dbus-daemon', '--session', '--nofork', '--print-address=1'],
                          stdout=subprocess.PIPE, text=True)
        self.env['DBUS_SESSION_BUS_ADDRESS'] = bus.stdout.readline().strip()

        # The bus launcher first: the program finds the bus when it starts.
        self._start(['/usr/libexec/at-spi-bus-launcher', '--launch-immediately'])
        deadline = time.time() + 20
        self.a11y_address = ''
        while time.time() < deadline and not self.a11y_address:
            reply = subprocess.run(
                ['dbus-send', '--session', '--dest=org.a11y.Bus', '--print-reply=literal',
                 '/org/a11y/bus', 'org.a11y.Bus.GetAddress'],
                env=self.env, capture_output=True, text=True)
            self.a11y_address = reply.stdout.strip() if reply.returncode == 0 else ''
            time.sleep(0.1)
        if not self.a11y_address:
            raise RuntimeError('the AT-SPI bus did not start')
        self.env.update({
            'NVL_A11Y_BUS': self.a11y_address,
            'QT_QPA_PLATFORM': 'xcb',
            'QT_LINUX_ACCESSIBILITY_ALWAYS_ON': '1',
            'QT_ACCESSIBILITY': '1',
        })

    def _start(self, command, **options):
        options.setdefault('stdout', subprocess.DEVNULL)
        process = subprocess.Popen(command, env=getattr(self, 'env', None),
                                   stderr=subprocess.DEVNULL, **options)
        self.processes.append(process)
        return process

    def close(self):
        for process in reversed(self.processes):
            process.terminate()
        for process in reversed(self.processes):
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()


# --------------------------------------------------------------- the runner

def run_in_session(name, program, cups_helper):
    with tempfile.TemporaryDirectory(prefix='nvl-smoke-') as folder:
        session = None
        try:
            # December on a laptop's 1280 × 800 screen, bare and with a
            # window manager framing the windows.
            laptop = name.startswith('december')
            session = Session(folder, '1280x800x24' if laptop else '1280x1024x24',
                              window_manager=name == 'december_wm')
            child = subprocess.run(
                ['/usr/bin/python3', os.path.abspath(__file__), '--scenario', name,
                 program, cups_helper, folder],
                env=session.env, capture_output=True, text=True, timeout=SCENARIO_TIMEOUT)
            return child.returncode, (child.stdout + child.stderr).strip()
        except subprocess.TimeoutExpired as timeout:
            return 1, 'timed out after %d s\n%s' % (SCENARIO_TIMEOUT, timeout.stdout or '')
        except RuntimeError as error:
            return 1, str(error)
        finally:
            if session:
                session.close()


def everything_is_there():
    """CI has every tool: there a skip is a fault."""
    return os.environ.get('CI') == 'true'


def missing(what):
    print('%s   : %s is not installed' % ('FAIL' if everything_is_there() else 'SKIP', what))
    return 1 if everything_is_there() else SKIP


def run_all(program, cups_helper, names):
    try:
        subprocess.run(['/usr/bin/python3', '-c', 'import pyatspi'], check=True,
                       capture_output=True)
    except subprocess.CalledProcessError:
        return missing('python3-pyatspi')
    for tool in ('Xvfb', 'dbus-daemon', 'dbus-send'):
        if not shutil.which(tool):
            return missing(tool)
    if not os.path.exists('/usr/libexec/at-spi-bus-launcher'):
        return missing('at-spi2-core')

    passed = failed = skipped = 0
    for name in names or SCENARIOS:
        started = time.time()
        code, output = run_in_session(name, program, cups_helper)
        if code not in (0, SKIP) and 'could not connect to display' in output:
            # The display, not the program, failed: once more in a new session.
            print('RETRY  : %s (%s)' % (name, output.splitlines()[0]))
            code, output = run_in_session(name, program, cups_helper)
        verdict = {0: 'PASS', SKIP: 'SKIP'}.get(code, 'FAIL')
        if verdict == 'SKIP' and everything_is_there():
            verdict = 'FAIL'  # CI has root, strace and CUPS
        print('%s   : %s (%.1f s)' % (verdict, name, time.time() - started))
        if output and verdict != 'PASS':
            print('    ' + output.replace('\n', '\n    '))
        passed += verdict == 'PASS'
        failed += verdict == 'FAIL'
        skipped += verdict == 'SKIP'
    print('%d passed, %d failed, %d skipped' % (passed, failed, skipped))
    return 1 if failed else 0


# ------------------------------------------------------ driving the program

class Failure(Exception):
    pass


def wait_for(what, probe, timeout=20):
    deadline = time.time() + timeout
    while True:
        try:
            result = probe()
        except Failure:
            raise
        except Exception:
            # An object went away while being looked at: the tree changes
            # under the reader, as it does for a screen reader.
            result = None
        if result:
            return result
        if time.time() > deadline:
            raise Failure('gave up waiting for ' + what)
        time.sleep(0.1)


def plain(name):
    """A caption as a user reads it: 'はい(Y)' → 'はい', '&Open' → 'Open'."""
    return re.sub(r'\(&?[A-Za-z]\)', '', (name or '').replace('&', '')).strip()


class Driver:
    def __init__(self, program, folder):
        import pyatspi
        self.at = pyatspi
        self.folder = folder
        self.program_folder = os.path.join(folder, 'program')
        os.mkdir(self.program_folder)
        # A copy of its own, so its settings files land in the scenario's folder.
        self.program = shutil.copy(program, self.program_folder)
        self.process = None
        self.app = None
        self.tracers = []

    def start(self, extra_env=None):
        env = dict(os.environ)
        # Settings of its own: Qt's file dialog would start in folders that
        # earlier runs remembered and deleted.
        env['XDG_CONFIG_HOME'] = os.path.join(self.folder, '.config')
        env.update(extra_env or {})
        self.log = open(os.path.join(self.folder, 'program.log'), 'w')
        self.process = subprocess.Popen([self.program], env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT)

        def find_app():
            desktop = self.at.Registry.getDesktop(0)
            for app in desktop:
                if app is not None and app.get_process_id() == self.process.pid:
                    return app
            return None

        try:
            self.app = wait_for('the program on the accessibility bus', find_app)
        except Failure:
            desktop = self.at.Registry.getDesktop(0)
            seen = [(a.name, a.get_process_id()) for a in desktop if a is not None]
            raise Failure('the program (pid %d) is not on the accessibility bus; there: %r; '
                          'it said: %s' % (self.process.pid, seen, self.program_output()))

    def program_output(self):
        with open(os.path.join(self.folder, 'program.log')) as log:
            return log.read()[-2000:]

    def inject(self, fault):
        """Attaches strace to the running program: from now on the given
        system calls fail (e.g. 'fsync:error=EIO')."""
        tracer = subprocess.Popen(['strace', '-f', '-qq', '-o', '/dev/null', '-e',
                                   'inject=' + fault, '-p', str(self.process.pid)],
                                  stderr=subprocess.DEVNULL)
        self.tracers.append(tracer)

        def attached():
            with open('/proc/%d/status' % self.process.pid) as status:
                return any(line.startswith('TracerPid:') and line.split()[1] != '0'
                           for line in status)
        wait_for('strace to attach', attached)

    def stop(self):
        for tracer in self.tracers:
            tracer.terminate()
            tracer.wait(10)
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()

    # Windows and controls.

    def windows(self):
        self.app.clearCache()
        return [w for w in self.app if w is not None and self.showing(w)]

    def showing(self, node):
        try:
            return node.getState().contains(self.at.STATE_SHOWING)
        except Exception:
            return False

    def window(self, title=None, role=None, prefix=False):
        def probe():
            for w in self.windows():
                name = w.name or ''
                if role and w.getRoleName() != role:
                    continue
                if title is None or name == title or (prefix and name.startswith(title)):
                    return w
            return None
        return wait_for('window %r' % (title or role), probe)

    def gone(self, node):
        wait_for('window %r to close' % node.name,
                 lambda: all(not w.isEqual(node) for w in self.windows()))

    def descendants(self, root):
        stack = [root]
        while stack:
            node = stack.pop()
            for child in node:
                if child is not None and self.showing(child):
                    yield child
                    stack.append(child)

    def find(self, root, role, name=None, timeout=20):
        def probe():
            root.clearCache()
            for node in self.descendants(root):
                if node.getRoleName() == role and (name is None or plain(node.name) == name):
                    return node
            return None
        return wait_for('%s %r' % (role, name), probe, timeout)

    def choose_menu(self, window, menu, item, *deeper):
        """Opens a menu of the window's menu bar and presses one of its items,
        opening submenus on the way (choose_menu(w, '編集', '絞り込み', 'すべて')).
        Qt does not mark menu bar entries as showing, so they are walked
        without that filter."""
        def walk(node):
            for child in node:
                if child is not None:
                    yield child
                    yield from walk(child)
        window.clearCache()
        bar = next(n for n in walk(window) if n.getRoleName() == 'menu bar')
        node = next(n for n in bar if n is not None and plain(n.name) == menu)
        self.act(node, 'ShowMenu')
        for name in (item,) + deeper:
            parent = node

            def entry():
                parent.clearCache()
                return next((n for n in walk(parent) if n.getRoleName() in ('menu item', 'menu')
                             and plain(n.name) == name), None)
            node = wait_for('menu entry %r' % name, entry, 5)
            self.act(node, 'Press' if name == ((item,) + deeper)[-1] else 'ShowMenu')

    def find_all(self, root, role):
        root.clearCache()
        return [n for n in self.descendants(root) if n.getRoleName() == role]

    def press(self, root, name, role='push button'):
        self.act(self.find(root, role, name), 'Press')

    def act(self, node, action):
        def offered():
            actions = node.queryAction()
            return [actions.getName(i) for i in range(actions.nActions)]
        # A control just shown may list its actions a moment later.
        try:
            wait_for('%r to offer %s' % (node.name, action), lambda: action in offered(), 5)
        except Failure:
            raise Failure('%r offers %s, not %s' % (node.name, offered(), action))
        names = offered()
        # Sent without waiting: a modal dialog keeps the call open until it closes.
        bus_name = node.app.bus_name
        subprocess.run(['dbus-send', '--bus=' + os.environ['NVL_A11Y_BUS'],
                        '--dest=' + bus_name, '--type=method_call', node.path,
                        'org.a11y.atspi.Action.DoAction', 'int32:%d' % names.index(action)],
                       check=True)
        if action == 'Press' and node.getRoleName() == 'push button':
            # A button pressed this way clicks 100 ms later (its animated
            # click); a second press sooner may land first.
            time.sleep(0.15)

    def type_into(self, root, name, text):
        field = self.find(root, 'text', name)
        field.queryEditableText().setTextContents(text)
        wait_for('text in %r' % name, lambda: field.queryText().getText(0, -1) == text)

    def alert(self, text):
        """The message box now showing, checked to say `text`."""
        box = self.window(role='alert')
        # Line breaks are the box's layout, not its words.
        labels = [plain(n.name).replace('\n', '') for n in self.find_all(box, 'label')]
        if text not in labels:
            raise Failure('the message box says %r, not %r' % (labels, text))
        return box

    def alert_containing(self, text):
        box = self.window(role='alert')
        labels = [(n.name or '').replace('\n', '') for n in self.find_all(box, 'label')]
        if not any(text in label for label in labels):
            raise Failure('the message box says %r, not %r' % (labels, text))
        return box

    def answer(self, text, button):
        box = self.alert(text)
        self.press(box, button)
        self.gone(box)

    def use_file_dialog(self, title, path, button):
        dialog = self.window(title)
        self.type_into(dialog, 'ファイル名:', path)
        self.press(dialog, button)
        return dialog

    def check_names(self, window):
        """Every control a user operates has a name a screen reader can read."""
        operated = {'push button', 'toggle button', 'check box', 'radio button', 'combo box',
                    'text', 'list', 'table', 'spin button', 'menu item', 'page tab'}
        unnamed = ['%s in %r' % (n.getRoleName(), window.name)
                   for n in self.descendants(window)
                   if n.getRoleName() in operated and not (n.name or '').strip()]
        if unnamed:
            raise Failure('controls without a name: ' + ', '.join(unnamed))

    # Files.

    def write_book(self, name, count):
        path = os.path.join(self.folder, name)  # a full path stays as it is
        with open(path, 'wb') as book:
            for i in range(1, count + 1):
                book.write(('"宛名%d","東京都千代田区%d","一丁目%d","100-000%d","c%d","0",""\r\n'
                            % (i, i, i, i % 10, i)).encode('cp932'))
        return path


def book_names(path):
    with open(path, 'rb') as book:
        text = book.read().decode('cp932')
    return [line.split('","')[0].lstrip('"') for line in text.split('\r\n') if line]


def open_book(d, path):
    main = d.window('NVL  ﾊｶﾞｷ  Print')
    d.press(main, 'ファイルを開く')
    dialog = d.use_file_dialog('ファイルを開く', path, '開く')
    d.gone(dialog)
    book = d.find(main, 'list', '宛名一覧')
    wait_for('the book in the list', lambda: len(d.find_all(book, 'list item')) > 0)
    return main, book


# ------------------------------------------------------------- scenarios

def scenario_open_book(d):
    path = d.write_book('友人.dat', 4)
    d.start()
    main = d.window('NVL  ﾊｶﾞｷ  Print')
    d.check_names(main)
    # A window of its own to a screen reader, titled exactly by its caption.
    if main.getRoleName() != 'frame':
        raise Failure('the main window presents itself as %r' % main.getRoleName())
    main, book = open_book(d, path)
    items = [n.name for n in d.find_all(book, 'list item')]
    if items != ['宛名1', '宛名2', '宛名3', '宛名4']:
        raise Failure('the book list shows %r' % items)
    # A postal code typed in full width finds its card, and 一括選択 takes it.
    d.type_into(main, '検索', '１００－０００３')
    wait_for('the card found',
             lambda: [n.name for n in d.find_all(book, 'list item')] == ['宛名3'])
    d.press(main, '一括選択')
    chosen = d.find(main, 'list', '選択リスト')
    wait_for('the card chosen',
             lambda: [n.name for n in d.find_all(chosen, 'list item')] == ['宛名3'])


def editor_on_book(d, name, count):
    """A book of `count` cards opened, then the card editor on it."""
    path = d.write_book(name, count)
    d.start()
    main, book = open_book(d, path)
    d.press(main, '住所録編集')
    editor = d.window('住所録　　', prefix=True)
    d.check_names(editor)
    return path, main, book, editor


def scenario_delete_card(d):
    path, _, _, editor = editor_on_book(d, 'book.dat', 3)
    d.press(editor, '＞')
    wait_for('card 2', lambda: d.find(editor, 'text', '宛名／敬称').queryText()
             .getText(0, -1) == '宛名2')
    d.press(editor, '削除')
    d.answer('このカードを削除します。', 'OK')
    wait_for('the card gone from the file', lambda: book_names(path) == ['宛名1', '宛名3'])


def scenario_new_register_save(d):
    d.start()
    main = d.window('NVL  ﾊｶﾞｷ  Print')
    d.press(main, '新規作成')
    editor = d.window('住所録　　')
    d.type_into(editor, '宛名／敬称', '山田太郎')
    d.type_into(editor, '〒 xxx-xxxx', '1000001')
    d.press(editor, '登録')
    d.press(editor, '戻る')
    target = os.path.join(d.folder, '新しい住所録.dat')
    d.answer('ファイル名をつけて保存しますか…?', 'はい')
    d.use_file_dialog('名前をつけて保存', target, '保存')
    wait_for('the new book on disk',
             lambda: os.path.exists(target) and book_names(target) == ['山田太郎'])
    main = d.window('NVL  ﾊｶﾞｷ  Print')
    book = d.find(main, 'list', '宛名一覧')
    wait_for('the new book listed',
             lambda: [n.name for n in d.find_all(book, 'list item')] == ['山田太郎'])


@contextlib.contextmanager
def cups_queue(cups_helper):
    """A private CUPS queue printing into a file: its CUPS_SERVER and JOB."""
    queue = subprocess.Popen([cups_helper], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             text=True)
    settings = {}
    while not ('SKIP' in settings or {'CUPS_SERVER', 'JOB'} <= settings.keys()):
        line = queue.stdout.readline()
        if not line:
            raise Failure('the private CUPS queue did not start')
        key, _, value = line.strip().partition('=')
        settings[key] = value
    if 'SKIP' in settings:
        print('SKIP: ' + settings['SKIP'])
        sys.exit(SKIP)
    try:
        yield settings
    finally:
        queue.stdin.close()
        queue.wait(30)


def choose_cards(d, main, book, names):
    """Exactly these cards chosen in the list, then 一括選択."""
    for item in d.find_all(book, 'list item'):
        if item.getState().contains(d.at.STATE_SELECTED) != (item.name in names):
            d.act(item, 'Toggle')
    wait_for('%s chosen' % names, lambda: sorted(
        i.name for i in d.find_all(book, 'list item')
        if i.getState().contains(d.at.STATE_SELECTED)) == sorted(names))
    d.press(main, '一括選択')
    wait_for('the count of %d' % len(names), lambda: d.find(main, 'label', str(len(names)),
                                                            timeout=1))


def scenario_print_to_cups(d, cups_helper):
    with cups_queue(cups_helper) as settings:
        path = d.write_book('book.dat', 5)
        d.start({'CUPS_SERVER': settings['CUPS_SERVER']})
        main, book = open_book(d, path)
        choose_cards(d, main, book, ['宛名%d' % i for i in range(1, 6)])
        d.press(main, '次へ')
        printing = d.window('印刷フォーマット')
        d.check_names(printing)
        # Written downwards, chosen as a screen-reader user chooses it.
        vertical = d.find(printing, 'radio button', '縦書き')
        d.act(vertical, 'Toggle')
        wait_for('縦書き chosen', lambda: vertical.getState().contains(d.at.STATE_CHECKED))
        d.press(printing, '印刷')
        dialog = d.window('印刷', role='dialog')
        d.press(dialog, '印刷')
        d.answer('シート数は2枚です。', 'OK')
        job = settings['JOB']
        wait_for('the job printed', lambda: os.path.exists(job), timeout=60)
        info = subprocess.run(['pdfinfo', job], capture_output=True, text=True).stdout
        if not re.search(r'^Pages:\s+2$', info, re.M):
            raise Failure('the printed job is not two pages:\n' + info)
        text = subprocess.run(['pdftotext', job, '-'], capture_output=True, text=True).stdout
        words = text.split()
        if '宛名1' in words or '宛' not in words:
            raise Failure('the job is not written downwards:\n' + text)
        # Printed: the cards are marked as sent for the year the dialog shows.
        marking = d.window('送付の記録')
        d.check_names(marking)
        year = d.find(marking, 'spin button', '年賀状の年')
        shown = int(year.queryValue().currentValue)
        before = open(path, 'rb').read()
        d.press(marking, '記録する')
        d.gone(marking)
        companion = path + '.nvl'

        def marked():
            if not os.path.exists(companion):
                return False
            with open(companion, encoding='utf-8') as f:
                entries = json.load(f)['generations'][0]['entries']
            return len(entries) == 5 and all(
                'sent' in e['data'].get('history', {}).get(str(shown), []) for e in entries)
        wait_for('the five cards marked as sent', marked)
        if open(path, 'rb').read() != before:
            raise Failure('marking rewrote the book itself')


def scenario_import_contacts(d):
    path = d.write_book('book.dat', 2)
    contacts = os.path.join(d.folder, 'contacts.vcf')
    with open(contacts, 'wb') as f:
        f.write('BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田 花子\r\n'
                'ADR;TYPE=HOME:;;千代田1-1;千代田区;東京都;100-0001;\r\nEND:VCARD\r\n'
                .encode('utf-8'))
    d.start()
    main, book = open_book(d, path)
    d.choose_menu(main, 'ﾌｧｲﾙ', '連絡先を取り込む')
    d.gone(d.use_file_dialog('ファイルを開く', contacts, '開く'))
    box = d.alert_containing('開いている住所録')
    d.press(box, 'はい')
    d.gone(box)
    d.answer('1件を取り込みました。', 'OK')
    wait_for('the contact added to the book',
             lambda: book_names(path) == ['宛名1', '宛名2', '山田 花子'])
    wait_for('the book list showing it', lambda: [n.name for n in d.find_all(book, 'list item')]
             == ['宛名1', '宛名2', '山田 花子'])

    # A postcard program's CSV: each column box is announced by its field,
    # with the column it reads as its value.
    table = os.path.join(d.folder, 'hagaki.csv')
    with open(table, 'wb') as f:
        f.write('氏名,郵便番号,住所1,住所3\r\n鈴木 一郎,100-0002,千代田2-2,ビル3F\r\n'
                .encode('cp932'))
    d.choose_menu(main, 'ﾌｧｲﾙ', '連絡先を取り込む')
    d.gone(d.use_file_dialog('ファイルを開く', table, '開く'))
    mapping = d.window('CSV ファイルの取り込み')
    d.check_names(mapping)
    boxes = {box.name: box for box in d.find_all(mapping, 'combo box')}
    if '建物名' not in boxes or '氏名' not in boxes:
        raise Failure('the column boxes are named %r' % sorted(boxes))
    chosen = boxes['建物名'].queryText().getText(0, -1)
    if chosen != '住所3':
        raise Failure('建物名 reads %r, not 住所3' % chosen)
    d.press(mapping, '取り込む')
    d.gone(mapping)
    box = d.alert_containing('開いている住所録')
    d.press(box, 'はい')
    d.gone(box)
    d.answer('1件を取り込みました。', 'OK')
    wait_for('the building stored', lambda: 'ビル3F' in open(path, 'rb').read().decode('cp932'))


def scenario_companion_entries(d):
    # Joint names kept for a card another program renamed.
    path = d.write_book('連名.dat', 2)
    with open(path + '.nvl', 'w', encoding='utf-8') as f:
        json.dump({'format': 'nvl-hagaki companion', 'version': 1, 'settings': {},
                   'generations': [{'bookSha256': '00' * 32, 'saved': '', 'entries': [
                       {'name': '旧姓 宛名', 'postalCode': '100-0001', 'address1': '東京都千代田区1',
                        'position': 0, 'data': {'jointNames': [{'name': '花子', 'honorific': '様'}]}}]}]},
                  f, ensure_ascii=False)
    d.start()
    main = d.window('NVL  ﾊｶﾞｷ  Print')
    d.press(main, 'ファイルを開く')
    d.gone(d.use_file_dialog('ファイルを開く', path, '開く'))
    box = d.alert_containing('1件が')
    d.press(box, 'OK')
    d.gone(box)
    d.choose_menu(main, '編集', '付属データの整理')
    dialog = d.window('付属データの整理')
    d.check_names(dialog)
    entries = d.find(dialog, 'list', '合わない付属データ')
    items = [n.name for n in d.find_all(entries, 'list item')]
    if len(items) != 1 or '旧姓 宛名' not in items[0] or '連名 花子 様' not in items[0]:
        raise Failure('the entries listed are %r' % items)
    d.press(dialog, '宛名に付ける')  # to 宛名1, offered as the one at its address

    def attached():
        with open(path + '.nvl', encoding='utf-8') as f:
            entries = json.load(f)['generations'][0]['entries']
        return [(e['name'], e['position'], e['data']) for e in entries]
    wait_for('the joint names attached to 宛名1',
             lambda: attached() == [('宛名1', 0, {'jointNames': [{'name': '花子', 'honorific': '様'}]})])
    d.press(dialog, '閉じる')
    d.gone(dialog)


def scenario_sync_with_server(d):
    """ファイル → 同期 against Radicale, with the password in an unlocked
    keyring on the session's bus: settings, 接続テスト, a sync whose change on
    both sides is answered in 同期の確認."""
    import base64
    import urllib.request
    if not shutil.which('radicale') or not shutil.which('gnome-keyring-daemon'):
        sys.exit(missing('radicale or gnome-keyring-daemon'))
    server = os.path.join(d.folder, 'radicale')
    fixture = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support',
                           'dav_fixture.py')
    subprocess.run([sys.executable, fixture, 'start', 'radicale', server], check=True,
                   stdout=subprocess.DEVNULL)
    try:
        url = open(os.path.join(server, 'url')).read().strip() + 'alice/smoke/'
        auth = {'Authorization': 'Basic ' + base64.b64encode(b'alice:secret').decode()}
        urllib.request.urlopen(urllib.request.Request(
            url, method='MKCOL', headers=auth,
            data=b'<?xml version="1.0"?><D:mkcol xmlns:D="DAV:" '
                 b'xmlns:C="urn:ietf:params:xml:ns:carddav"><D:set><D:prop><D:resourcetype>'
                 b'<D:collection/><C:addressbook/></D:resourcetype></D:prop></D:set></D:mkcol>'))
        urllib.request.urlopen(urllib.request.Request(
            url + 'one.vcf', method='PUT', headers=dict(auth, **{'Content-Type': 'text/vcard'}),
            data='BEGIN:VCARD\r\nVERSION:3.0\r\nUID:one\r\nFN:宛名1\r\n'
                 'ADR;TYPE=HOME:;;丸の内9;千代田区;東京都;100-0001;\r\nEND:VCARD\r\n'
                 .encode('utf-8')))
        keyring_data = os.path.join(d.folder, 'keyring')
        os.mkdir(keyring_data)
        subprocess.run(['gnome-keyring-daemon', '--unlock', '--components=secrets'],
                       input=b'session', check=True, stdout=subprocess.DEVNULL,
                       env=dict(os.environ, XDG_DATA_HOME=keyring_data))
        path = d.write_book('book.dat', 2)
        d.start()
        main, book = open_book(d, path)

        d.choose_menu(main, 'ﾌｧｲﾙ', '同期の設定')
        dialog = d.window('同期の設定')
        d.check_names(dialog)
        d.type_into(dialog, 'アドレス帳の URL', url)
        d.type_into(dialog, 'ユーザー名', 'alice')
        password = d.find(dialog, 'password text', 'パスワード')
        password.queryEditableText().setTextContents('secret')
        d.press(dialog, '接続テスト')
        said = []

        def tested():
            dialog.clearCache()
            said[:] = [n.name for n in d.find_all(dialog, 'label')
                       if n.description == '接続テストの結果']
            return any('連絡先が 1 件' in text for text in said)
        try:
            wait_for('the connection test to say what it found', tested)
        except Failure:
            raise Failure('the connection test says %r' % said)
        d.press(dialog, 'OK')
        d.gone(dialog)

        d.choose_menu(main, 'ﾌｧｲﾙ', '同期')
        questions = d.window('同期の確認')
        d.check_names(questions)
        sides = [n.name for n in d.find_all(questions, 'label') if '（違い）' in (n.name or '')]
        if 'サーバーの住所２：丸の内9（違い）' not in sides:
            raise Failure('the differences are read as %r' % sides)
        d.act(d.find(questions, 'radio button', 'サーバーの内容にする'), 'Toggle')
        d.press(questions, '決定')
        d.gone(questions)
        box = d.alert_containing('同期しました')
        d.press(box, 'OK')
        d.gone(box)
        wait_for('the server\'s address in the book',
                 lambda: '丸の内9' in open(path, 'rb').read().decode('cp932'))
        wait_for('the changed card marked in the list',
                 lambda: [n.name for n in d.find_all(book, 'list item')] ==
                 ['宛名1　（同期で更新）', '宛名2'])
        # Not in the companion, the settings or the program's output.
        for folder, _, files in os.walk(d.folder):
            if folder.startswith((server, keyring_data)):
                continue
            for name in files:
                file = os.path.join(folder, name)
                # The program's own file holds the word in its keyring names.
                if file == d.program or not stat.S_ISREG(os.lstat(file).st_mode):
                    continue
                with open(file, 'rb') as f:
                    if b'secret' in f.read():
                        raise Failure('the password is in %s' % file)
    finally:
        subprocess.run([sys.executable, fixture, 'stop', server], stdout=subprocess.DEVNULL)


def to_print_window(d, main, book):
    for item in d.find_all(book, 'list item'):
        if not item.getState().contains(d.at.STATE_SELECTED):
            d.act(item, 'Toggle')
    d.press(main, '一括選択')
    d.press(main, '次へ')


def scenario_fifo_settings(d):
    for name in ('Nuvel.ini', 'nvl-hagaki.ini'):
        os.mkfifo(os.path.join(d.program_folder, name))
    d.start()
    box = d.alert_containing('Nuvel.ini')
    d.press(box, 'OK')
    d.gone(box)
    # Opening a book would write Nuvel.ini: refused, named.
    main, book = open_book(d, d.write_book('book.dat', 2))
    box = d.alert_containing('Nuvel.ini')
    d.press(box, 'OK')
    d.gone(box)
    # The print window reads nvl-hagaki.ini: refused the same way, not waited for.
    to_print_window(d, main, book)
    box = d.alert_containing('nvl-hagaki.ini')
    d.press(box, 'OK')
    d.gone(box)
    d.window('印刷フォーマット')


def scenario_paper_with_failing_fsync(d):
    """The paper choice is saved like every settings file: a failing fsync
    is told, naming the file, and the file stays as it was."""
    needs_strace()
    settings = os.path.join(d.program_folder, 'nvl-hagaki.ini')
    with open(settings, 'w') as f:
        f.write('[paper]\nkind=a4-sheets\n')
    before = open(settings, 'rb').read()
    d.start()
    main, book = open_book(d, d.write_book('book.dat', 2))
    to_print_window(d, main, book)
    printing = d.window('印刷フォーマット')
    d.inject('fsync,fdatasync:error=EIO')
    postcard = d.find(printing, 'radio button', 'はがき用紙')
    d.act(postcard, 'Toggle')
    box = d.alert_containing('nvl-hagaki.ini')
    d.press(box, 'OK')
    d.gone(box)
    if open(settings, 'rb').read() != before:
        raise Failure('nvl-hagaki.ini changed although its save failed')


def delete_card_with_fault(d, book_folder, fault=None):
    """削除 → OK when the save fails: the user is told, the book stays whole."""
    path = d.write_book(os.path.join(book_folder, 'book.dat'), 3)
    before = open(path, 'rb').read()
    d.start()
    main, _ = open_book(d, path)
    d.press(main, '住所録編集')
    editor = d.window('住所録　　', prefix=True)
    d.press(editor, '＞')
    wait_for('card 2 shown', lambda: d.find(editor, 'label', '2/3', timeout=1))
    # The fault comes now, for the delete's write alone.
    if fault:
        d.inject(fault)
    else:
        fill_disk(book_folder)
    d.press(editor, '削除')
    d.answer('このカードを削除します。', 'OK')
    box = d.alert_containing('ファイル「%s」に書き込めません。' % path)
    d.press(box, 'OK')
    d.gone(box)
    if open(path, 'rb').read() != before:
        raise Failure('the book changed although the save failed')
    # The editor's lock on the book stays while it is open.
    left = sorted(n for n in os.listdir(book_folder)
                  if n not in ('book.dat', 'filler', '.book.dat.lock'))
    if left:
        raise Failure('left behind: %r' % left)
    # The editor still holds the card it could not delete.
    wait_for('card 2 still shown', lambda: d.find(editor, 'label', '2/3', timeout=1))


def fill_disk(folder):
    with open(os.path.join(folder, 'filler'), 'wb', buffering=0) as filler:
        try:
            while True:
                filler.write(b'x' * 4096)
        except OSError:
            pass


def scenario_delete_on_full_disk(d):
    disk = os.path.join(d.folder, 'disk')
    os.mkdir(disk)
    if os.geteuid() != 0 or subprocess.run(['mount', '-t', 'tmpfs', '-o', 'size=64k', 'tmpfs',
                                            disk], capture_output=True).returncode != 0:
        print('SKIP: mounting a small tmpfs is not allowed here')
        sys.exit(SKIP)
    try:
        delete_card_with_fault(d, disk)
    finally:
        d.stop()
        subprocess.run(['umount', disk])


def books_folder(d):
    folder = os.path.join(d.folder, 'books')
    os.mkdir(folder)
    return folder


def needs_strace():
    if not shutil.which('strace'):
        print('SKIP: strace is not installed')
        sys.exit(SKIP)


def scenario_delete_with_failing_fsync(d):
    needs_strace()
    delete_card_with_fault(d, books_folder(d), 'fsync,fdatasync:error=EIO')


def scenario_delete_with_failing_rename(d):
    needs_strace()
    delete_card_with_fault(d, books_folder(d), 'rename,renameat,renameat2:error=EXDEV')


def scenario_december(d, cups_helper):
    """Last year's received cards recorded in the editor, then 去年もらった人
    from the 編集 menu lists them, the filter button saying so; the editor
    reads its history, chooses an honorific and a tag through the
    accessibility interface; a card 喪中 this year is named before printing;
    after printing part of the book, まだ送っていない lists the rest; every
    window's buttons lie on the screen."""
    with cups_queue(cups_helper) as settings:
        path = d.write_book('年賀.dat', 4)
        d.start({'CUPS_SERVER': settings['CUPS_SERVER']})
        main, book = open_book(d, path)
        d.press(main, '住所録編集')
        editor = d.window('住所録　　', prefix=True)
        d.check_names(editor)
        on_screen(d, editor)
        last_year = record_received_last_year(d, editor)
        choose_in_editor(d, editor)
        d.press(editor, '登録')
        d.press(editor, '戻る')
        wait_for('先生 and the tag saved', lambda: ',"4",' in open(path, encoding='cp932').read()
                 and '家族' in open(path + '.nvl', encoding='utf-8').read())
        on_screen(d, filter_lists(d, '去年もらった人', ['宛名1']))
        mourning_named_before_printing(d, last_year + 1)
        print_part_then_rest_listed(d, settings['JOB'])


def record_received_last_year(d, editor):
    # This card year and the three before it, each read as 'YYYY年 受け取った'.
    received = sorted(((int(m.group(1)), n) for n in d.find_all(editor, 'check box')
                       for m in [re.match(r'(\d+)年 受け取った$', n.name or '')] if m),
                      key=lambda pair: -pair[0])
    if len(received) != 4:
        raise Failure('the editor offers %r' % [n.name for _, n in received])
    last_year, box = received[1]
    d.act(box, 'Toggle')
    wait_for('last year ticked', lambda: box.getState().contains(d.at.STATE_CHECKED))
    return last_year


def choose_in_editor(d, editor):
    """敬称 chosen among its entries; a tag another card has, from the row
    of choices that the completion popup also offers."""
    honorific = d.find(editor, 'combo box', '敬称')
    choice = next((c for c in honorific if c.name == '先生'), None)
    if choice is None:
        raise Failure('敬称 offers %r' % [c.name for c in honorific])
    d.act(choice, 'Press')
    wait_for('先生 chosen', lambda: honorific.queryText().getText(0, -1) == '先生')
    d.press(editor, '登録')
    # The tag typed on another card is offered on this one.
    d.press(editor, '＞')
    d.type_into(editor, 'タグ', '家族')
    d.press(editor, '登録')
    d.press(editor, '＜')
    tags = d.find(editor, 'text', 'タグ')
    d.press(editor, 'タグ「家族」を付ける')
    wait_for('the tag taken', lambda: tags.queryText().getText(0, -1) == '家族')


def mourning_named_before_printing(d, year):
    """The first card made 喪中 this year: printing it, the check says so."""
    main = d.window('NVL  ﾊｶﾞｷ  Print')
    d.press(main, '住所録編集')
    editor = d.window('住所録　　', prefix=True)
    mourning = d.find(editor, 'check box', '%d年 喪中' % year)
    d.act(mourning, 'Toggle')
    wait_for('喪中 ticked', lambda: mourning.getState().contains(d.at.STATE_CHECKED))
    d.press(editor, '登録')
    d.press(editor, '戻る')
    main = d.window('NVL  ﾊｶﾞｷ  Print')
    d.choose_menu(main, '編集', '絞り込み', 'すべて')
    choose_cards(d, main, d.find(main, 'list', '宛名一覧'), ['宛名1'])
    d.press(main, '次へ')
    printing = d.window('印刷フォーマット')
    on_screen(d, printing)
    d.press(printing, '印刷')
    box = d.alert_containing('%d年の喪中と記録されています' % year)
    d.press(box, 'キャンセル')
    d.gone(box)
    d.press(printing, '戻る')


def print_part_then_rest_listed(d, job):
    """Two of the three cards to send printed and marked: the third is what
    まだ送っていない lists."""
    main = d.window('NVL  ﾊｶﾞｷ  Print')
    book = d.find(main, 'list', '宛名一覧')
    choose_cards(d, main, book, ['宛名2', '宛名3'])
    d.press(main, '次へ')
    printing = d.window('印刷フォーマット')
    d.press(printing, '印刷プレビュー')
    preview = d.window('印刷プレビュー')
    on_screen(d, preview)
    # The preview has no button to close it: Escape, as a keyboard user does.
    d.at.Registry.generateKeyboardEvent(0xff1b, None, d.at.KEY_SYM)
    d.gone(preview)
    d.press(printing, '印刷')
    d.press(d.window('印刷', role='dialog'), '印刷')
    sheets = d.alert_containing('シート数は')
    d.press(sheets, 'OK')
    wait_for('the job printed', lambda: os.path.exists(job), timeout=60)
    marking = d.window('送付の記録')
    d.press(marking, '記録する')
    d.gone(marking)
    d.press(printing, '戻る')
    filter_lists(d, 'まだ送っていない', ['宛名4'])


def filter_lists(d, name, names):
    """The filter chosen from the 編集 menu lists those cards, and its
    button says it is on; the main window."""
    main = d.window('NVL  ﾊｶﾞｷ  Print')
    book = d.find(main, 'list', '宛名一覧')
    d.choose_menu(main, '編集', '絞り込み', name)
    wait_for('%s listing %s' % (name, names),
             lambda: [n.name for n in d.find_all(book, 'list item')] == names)
    d.find(main, 'push button', '絞り込み: ' + name)
    return main


def on_screen(d, window):
    """Every button of the window lies on the 1280 × 800 screen."""
    for button in d.find_all(window, 'push button'):
        box = button.queryComponent().getExtents(d.at.DESKTOP_COORDS)
        if box.x < 0 or box.y < 0 or box.x + box.width > 1280 or box.y + box.height > 800:
            frame = window.queryComponent().getExtents(d.at.DESKTOP_COORDS)
            raise Failure('%r of %r lies off the screen at %d, %d (the window: %d × %d at %d, %d)'
                          % (button.name, window.name, box.x, box.y, frame.width,
                             frame.height, frame.x, frame.y))


SCENARIOS = ['open_book', 'companion_entries', 'delete_card', 'new_register_save', 'print_to_cups',
             'import_contacts', 'fifo_settings', 'paper_with_failing_fsync',
             'delete_on_full_disk', 'delete_with_failing_fsync', 'delete_with_failing_rename',
             'sync_with_server', 'december', 'december_wm']


def run_scenario(name, program, cups_helper, folder):
    driver = Driver(program, folder)
    try:
        if name in ('print_to_cups', 'december', 'december_wm'):
            globals()['scenario_' + name.removesuffix('_wm')](driver, cups_helper)
        else:
            globals()['scenario_' + name](driver)
        return 0
    except Failure as failure:
        print('FAIL: %s' % failure)
        return 1
    except Exception:
        traceback.print_exc()
        return 1
    finally:
        driver.stop()


if __name__ == '__main__':
    if len(sys.argv) >= 6 and sys.argv[1] == '--scenario':
        sys.exit(run_scenario(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]))
    if len(sys.argv) < 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(run_all(sys.argv[1], sys.argv[2], sys.argv[3:]))
