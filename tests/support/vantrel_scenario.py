"""Drives the real Vantrel.exe under Wine as a user would, for the scenario tests.

Everything runs in the build's private test prefix, inside its virtual desktop on the
private Xvfb display (see scripts/wine-env.sh): Windows screen coordinates are X screen
coordinates. Keys and clicks go through xdotool; what X cannot tell (window classes,
styles, states, message boxes) comes from the probe helper, tests/probe.exe.
"""
import atexit
import os
import shutil
import signal
import subprocess
import time
import unittest

WINE = '/usr/lib/wine/wine64'
SCREEN_WIDTH = 1280
SCREEN_HEIGHT = 1024


def _wine_environment(source, build):
    script = (f'source "{source}/scripts/wine-env.sh" "{build}" >/dev/null && '
              'vt_wine_up test >/dev/null && env -0')
    out = subprocess.run(['bash', '-c', script], check=True, stdout=subprocess.PIPE,
                         stdin=subprocess.DEVNULL).stdout
    env = {}
    for item in out.split(b'\0'):
        if b'=' in item:
            key, value = item.split(b'=', 1)
            env[key.decode()] = value.decode()
    return env


class Screenshot:
    """The whole screen as RGB bytes."""

    def __init__(self, data, width, height):
        self.data, self.width, self.height = data, width, height

    def pixel(self, x, y):
        """0xRRGGBB at (x, y)."""
        assert 0 <= x < self.width and 0 <= y < self.height, (x, y)
        i = (y * self.width + x) * 3
        return (self.data[i] << 16) | (self.data[i + 1] << 8) | self.data[i + 2]

    def count(self, left, top, right, bottom, colour):
        return sum(1 for y in range(top, bottom) for x in range(left, right)
                   if self.pixel(x, y) == colour)

    def save_png(self, path, rect=None):
        """Saves the screen, or the part of it within rect (left, top, right, bottom)."""
        crop = []
        if rect:
            left, top = max(rect[0], 0), max(rect[1], 0)
            right, bottom = min(rect[2], self.width), min(rect[3], self.height)
            crop = ['-crop', f'{right - left}x{bottom - top}+{left}+{top}', '+repage']
        subprocess.run(['convert', '-size', f'{self.width}x{self.height}', '-depth', '8',
                        'rgb:-', *crop, path], input=self.data, check=True)


class Session:
    """One prefix, one desktop; at most one test drives it at a time."""

    def __init__(self):
        self.build = os.environ['VANTREL_BUILD_DIR']
        here = os.path.dirname(os.path.abspath(__file__))
        self.source = os.environ.get('VANTREL_SOURCE_DIR', os.path.dirname(os.path.dirname(here)))
        self.env = _wine_environment(self.source, self.build)
        self.exe = os.path.join(self.build, 'Vantrel.exe')
        self.probe_exe = os.path.join(self.build, 'tests', 'probe.exe')
        self.prefix = self.env['WINEPREFIX']
        self.processes = []
        self.server = None
        appdata = self.probe('appdata')[1]['appdata']
        self.appdata = self.unix_path(appdata)
        self.artifacts = os.path.join(self.build, 'Testing', 'scenario')
        os.makedirs(self.artifacts, exist_ok=True)

    # ---- paths and files -------------------------------------------------------------

    def unix_path(self, windows_path):
        drive, rest = windows_path.split(':', 1)
        assert drive.upper() == 'C', windows_path
        return os.path.join(self.prefix, 'drive_c', *[p for p in rest.split('\\') if p])

    @property
    def config_dir(self):
        return os.path.join(self.appdata, 'Morrowtide')

    @property
    def config_path(self):
        return os.path.join(self.config_dir, 'Vantrel.cfg')

    @property
    def backup_dir(self):
        return os.path.join(self.config_dir, 'Backup')

    def reset_config(self):
        shutil.rmtree(self.config_dir, ignore_errors=True)

    def write_config(self, lines):
        """Writes lines as the program does: UTF-16LE with its byte order mark, CR LF."""
        os.makedirs(self.config_dir, exist_ok=True)
        text = ''.join(line + '\r\n' for line in lines)
        with open(self.config_path, 'wb') as f:
            f.write(b'\xff\xfe' + text.encode('utf-16-le'))

    def config_bytes(self):
        with open(self.config_path, 'rb') as f:
            return f.read()

    def config_lines(self):
        data = self.config_bytes()
        assert data[:2] == b'\xff\xfe', data[:8]
        text = data[2:].decode('utf-16-le')
        if not text:
            return []   # the first run's file
        assert text.endswith('\r\n') and '\n' not in text.replace('\r\n', ''), repr(text[:200])
        return text.split('\r\n')[:-1]

    def backups(self):
        try:
            return sorted(os.listdir(self.backup_dir))
        except FileNotFoundError:
            return []

    # ---- Windows side ----------------------------------------------------------------

    def ask(self, *args):
        """(exit code, output lines) of a probe command, answered by one probe process that
        serves the whole session."""
        if self.server is None:
            self.server = subprocess.Popen([WINE, self.probe_exe, 'serve'], env=self.env, stdin=subprocess.PIPE,
                                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            atexit.register(self.end_server)
        self.server.stdin.write(('\t'.join(args) + '\n').encode('utf-8'))
        self.server.stdin.flush()
        lines = []
        while True:
            line = self.server.stdout.readline().decode('utf-8', 'replace').rstrip('\r\n')
            assert line or self.server.poll() is None, 'the probe ended'
            if line.startswith('end='):
                return int(line[4:]), lines
            lines.append(line)

    def end_server(self):
        """The probe server ends when its input does."""
        self.server.stdin.close()
        self.server.wait(timeout=10)

    def probe(self, *args):
        """(exit code, the last record as a dict); 'box' records come from boxes."""
        code, lines = self.ask(*args)
        return code, dict(line.split('=', 1) for line in lines if '=' in line)

    def window(self, class_name='Vantrel'):
        """The window's description, or None when there is none."""
        code, record = self.probe('window', class_name)
        if code != 0:
            return None
        for key in ('rect', 'client'):
            record[key] = tuple(int(v) for v in record[key].split(','))
        for key in ('iconic', 'visible', 'foreground', 'pid'):
            record[key] = int(record[key])
        record['style'] = int(record['style'], 16)
        return record

    def boxes(self):
        boxes = []
        for line in self.ask('boxes')[1]:
            if line == 'box':
                boxes.append({})
            elif '=' in line and boxes:
                key, value = line.split('=', 1)
                boxes[-1][key] = value.replace('\\n', '\n')
        return [box for box in boxes if box.get('text')]   # not those still being built

    def lists(self, caption):
        """The list boxes of the dialog with that caption: each {'selected': index, 'items': [...]}."""
        lists, mine = [], False
        for line in self.ask('lists')[1]:
            key, _, value = line.partition('=')
            if key == 'caption':
                mine = value == caption
            elif mine and key == 'list':
                lists.append({'selected': -1, 'items': []})
            elif mine and key == 'selected' and lists:
                lists[-1]['selected'] = int(value)
            elif mine and key == 'item' and lists:
                lists[-1]['items'].append(value.replace('\\n', '\n'))
        return lists

    def press_ok(self):
        self.probe('press-ok')

    def wait_for(self, condition, timeout=30, what='condition', interval=0.1):
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                procs = subprocess.run([WINE, 'winedbg', '--command', 'info proc'], env=self.env, stdout=subprocess.PIPE,
                                       stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30).stdout.decode()
                raise AssertionError(f'timed out waiting for {what}; boxes on screen: {self.boxes()}; window: '
                                     f'{self.window()}; processes: {[p.poll() for p in self.processes]}\n{procs}')
            time.sleep(interval)

    def wait_window(self, timeout=30, class_name='Vantrel', condition=lambda w: w['visible']):
        def ready():
            w = self.window(class_name)
            return w if w and condition(w) else None
        return self.wait_for(ready, timeout, f'a window of class {class_name}')

    def wait_boxes(self, count=1, timeout=30):
        return self.wait_for(lambda: (lambda b: b if len(b) >= count else None)(self.boxes()),
                             timeout, f'{count} message box(es)')

    # ---- the program -----------------------------------------------------------------

    def start(self, exe=None, env=None, cwd=None):
        """Starts Vantrel.exe, or a copy of it, with the session's environment or another one."""
        process = subprocess.Popen([WINE, exe or self.exe], env=env or self.env, cwd=cwd, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def start_and_wait(self, **start):
        process = self.start(**start)
        window = self.wait_window()
        self.park_pointer(window)
        return process, window

    def park_pointer(self, window):
        """Rests the pointer on the window's caption: Wine's desktop passes keys on only
        while the pointer is over a window of the program, and menus never cover it there."""
        left, top, right, _ = window['rect']
        self.move_pointer(max(left, 0) + (right - max(left, 0)) // 3, max(top, 0) + 8)

    def move_pointer(self, x, y):
        # mousemove --sync waits for a motion that never comes when the pointer is there already.
        # Asking where the pointer is fails (BadWindow) when the window under it has just gone,
        # a box that closed, say: asked again a moment later.
        where = {}
        for _ in range(10):
            result = subprocess.run(['xdotool', 'getmouselocation', '--shell'], env=self.env,
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
            where = dict(line.split('=', 1) for line in result.stdout.decode().split() if '=' in line)
            if result.returncode == 0 and 'X' in where and 'Y' in where:
                break
            time.sleep(0.05)
        if 'X' not in where or 'Y' not in where:
            self.xdotool('mousemove', str(x), str(y))   # where it was is unknown: no waiting on it
        elif (int(where['X']), int(where['Y'])) != (x, y):
            self.xdotool('mousemove', '--sync', str(x), str(y))

    def wait_exit(self, process, timeout=30):
        return process.wait(timeout=timeout)

    def close(self, process, timeout=30):
        """Closes the window as its close box does and returns the exit code."""
        self.probe('close')
        return self.wait_exit(process, timeout)

    def stop_all(self):
        """Ends the Vantrels this session started, politely first, through the processes it
        holds: nothing else on the machine is touched."""
        running = [process for process in self.processes if process.poll() is None]
        for process in running:
            self.probe('press-ok')
            self.probe('close')
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.processes = []
        if running:
            self.wait_for(lambda: self.window() is None, 20, 'no Vantrel window')

    # ---- X side ----------------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(['xdotool', *args], env=self.env, check=True, stdin=subprocess.DEVNULL)

    def focus_desktop(self):
        """Gives the virtual desktop the X focus, without which Wine sees no keys."""
        out = subprocess.run(['xdotool', 'search', '--name', 'Wine desktop'], env=self.env,
                             stdout=subprocess.PIPE, stdin=subprocess.DEVNULL).stdout.split()
        if out:
            self.xdotool('windowfocus', '--sync', out[0].decode())

    def key(self, *keys):
        self.focus_desktop()
        self.xdotool('key', '--delay', '60', *keys)

    def click(self, x, y, button=1, modifiers=(), repeat=1):
        """Clicks at screen point (x, y), holding modifier keys such as 'shift' or 'ctrl'; a
        repeat of 2 is a double click."""
        self.move_pointer(x, y)
        args = [a for m in modifiers for a in ('keydown', m)] + ['click', '--repeat', str(repeat), str(button)]
        args += [a for m in modifiers for a in ('keyup', m)]
        self.xdotool(*args)

    def tile_centre(self, window, row, column, pitch=103):
        """Screen point at the centre of a tile, without scrolling."""
        left, top = window['client'][:2]
        return left + 10 + (column - 1) * pitch + 51, top + 10 + (row - 1) * pitch + 51

    def drive_c(self, *parts):
        """The Unix path of a file under the prefix's C: drive."""
        return os.path.join(self.prefix, 'drive_c', *parts)

    def screenshot(self, name=None):
        data = subprocess.run(['import', '-window', 'root', '-depth', '8', 'rgb:-'], env=self.env,
                              check=True, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL).stdout
        shot = Screenshot(data, SCREEN_WIDTH, SCREEN_HEIGHT)
        assert len(data) == SCREEN_WIDTH * SCREEN_HEIGHT * 3, len(data)
        if name:
            shot.save_png(os.path.join(self.artifacts, name + '.png'))
        return shot


def endurance_count(short, long):
    """The short count of the default run, or the long one under scripts/endurance.sh."""
    return long if os.environ.get('VANTREL_ENDURANCE') == 'long' else short


_session = None


class ScenarioTest(unittest.TestCase):
    """Base of the scenario tests: a clean desktop and no configuration before each test."""

    @classmethod
    def setUpClass(cls):
        global _session
        if _session is None:
            _session = Session()
        cls.s = _session

    def setUp(self):
        self.s.stop_all()
        self.s.reset_config()

    def tearDown(self):
        self.s.stop_all()


def main():
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(SystemExit(1)))
    unittest.main(verbosity=2)
