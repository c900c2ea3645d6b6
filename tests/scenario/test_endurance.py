"""Faults and endurance of the real Vantrel.exe: killed while it saves (also while it writes a
held file in place), started many times at once, started and closed again and again. The default
run takes a short form of each; scripts/endurance.sh the long one: 50 kills, 20 kills in place,
10 simultaneous starts, 100 starts and closes."""
import os
import random
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import WINE, ScenarioTest, endurance_count, main  # noqa: E402

HEADER = '//#v0003 DO NOT CHANGE THIS LINE'
# Long paths, so that a save takes a while and kills land inside it.
FOLDERS = '\\'.join(f'folder {i}' for i in range(12))


def tiles(row_format):
    return [f'{row_format.format(r)},{c},0,{3289650 + c},C:\\Data\\{FOLDERS}\\Project {r}\\file {c}#^e$, draft.txt,'
            f'File {r} {c}' for r in range(1, 51) for c in range(1, 101)]


# What Vantrel writes, and a file it reads to the same grid in which every line is written
# otherwise (a header with other words, blanks in the settings, rows with leading zeros), so
# that a file mixed from the two is caught.
TILES = tiles('{}')
OLD_FILE = ['//#v0003 written by hand', ' 0, 0, 700, 600, 0, 0, 90, 1, 6, 100, 1, 1'] + tiles('{:03d}')


def read_bytes(path):
    with open(path, 'rb') as f:
        return f.read()


class EnduranceTest(ScenarioTest):

    def assert_whole_file(self, what):
        """The file as Vantrel writes it: the header, the settings, every tile."""
        lines = self.s.config_lines()
        self.assertEqual(lines[0], HEADER, what)
        settings = lines[1].split(',')
        self.assertEqual(len(settings), 12, what)
        self.assertEqual(settings[6:], ['90', '1', '6', '100', '1', '1'], what)
        self.assertEqual(lines[2:], TILES, what)

    def temporaries(self):
        """The save's temporary files beside the configuration file."""
        return [name for name in os.listdir(self.s.config_dir) if name.startswith('Vantrel.cfg.new-')]

    def kill(self, process):
        os.kill(process.pid, signal.SIGKILL)
        process.wait()
        self.s.processes.remove(process)
        self.s.wait_for(lambda: self.s.window() is None, 20, 'the window gone')

    def test_killed_while_saving_leaves_the_old_or_the_new_file(self):
        kills = endurance_count(5, 50)
        rng = random.Random(11)
        during_save = 0
        for kill in range(kills):
            self.s.write_config(OLD_FILE)
            old = self.s.config_bytes()
            for name in self.temporaries():
                os.remove(os.path.join(self.s.config_dir, name))
            replaced = os.stat(self.s.config_path).st_ino
            process = self.s.start()
            # The save after start-up writes the new file beside the old one: kill the
            # process at a random moment while it does, as a crash would. A save may also
            # come and go between two looks; the file is then replaced already.
            deadline = time.monotonic() + 30
            while not self.temporaries() and os.stat(self.s.config_path).st_ino == replaced:
                self.assertLess(time.monotonic(), deadline, 'the save after start-up never began')
            time.sleep(rng.uniform(0, 0.002))
            os.kill(process.pid, signal.SIGKILL)
            process.wait()
            self.s.processes.remove(process)
            during_save += bool(self.temporaries())
            if self.s.config_bytes() != old:
                self.assert_whole_file(f'after kill {kill + 1}')
            self.s.wait_for(lambda: self.s.window() is None, 20, 'the window gone')
        print(f'{kills} kills, {during_save} of them before the new file replaced the old one')
        self.assertGreater(during_save, kills // 2, 'most kills must land inside a save')

    def test_killed_while_writing_a_held_file_in_place_loses_nothing(self):
        """A program that holds the file letting others write, but not rename it, makes the save
        write it in place, with the whole new text kept beside as the pending copy: a kill in that
        write leaves a torn file, and the next start still has every tile."""
        kills = endurance_count(2, 20)
        pending = self.s.config_path + '.pending'
        appdata_file = self.s.probe('appdata')[1]['appdata'] + '\\Morrowtide\\Vantrel.cfg'
        torn = 0
        for kill in range(kills):
            self.s.write_config(OLD_FILE)
            holder = subprocess.Popen([WINE, self.s.probe_exe, 'hold-file', appdata_file, 'rw'], env=self.s.env,
                                      stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            try:
                self.assertEqual(holder.stdout.readline().strip(), b'held=1')
                process = self.s.start()
                # The save after start-up waits about two seconds for the holder, then writes in place.
                self.s.wait_for(lambda: os.path.exists(pending), 30, 'the pending copy', interval=0)
                self.kill(process)
            finally:
                holder.kill()
                holder.wait()
                holder.stdout.close()
            torn_file = os.path.exists(pending) and read_bytes(pending) != self.s.config_bytes()
            torn += torn_file
            process, _ = self.s.start_and_wait()
            if torn_file:
                # The next start takes the pending copy, keeps the torn file beside and says so.
                self.assertIn('could not be read', self.s.wait_boxes(1)[0]['text'])
                self.s.press_ok()
            self.assertEqual(self.s.close(process), 0)
            self.assert_whole_file(f'after kill {kill + 1} in place')
            self.assertFalse(os.path.exists(pending))
        print(f'{kills} kills in place, {torn} of them before the write in place was done')

    def test_simultaneous_starts_leave_one_instance_and_an_intact_file(self):
        count = endurance_count(5, 10)
        self.s.write_config([HEADER, '0,0,700,600,0,0,90,1,6,100,1,1'] + TILES)
        starts = [self.s.start() for _ in range(count)]
        window = self.s.wait_window()
        self.s.wait_for(lambda: sum(p.poll() is not None for p in starts) == count - 1, 120,
                        'all but one start to end')
        time.sleep(1)
        survivors = [p for p in starts if p.poll() is None]
        self.assertEqual(len(survivors), 1)
        self.assertEqual(sorted(p.returncode for p in starts if p is not survivors[0]), [1] * (count - 1))
        self.assertEqual(self.s.window()['hwnd'], window['hwnd'])
        self.assert_whole_file('with the instance running')
        self.assertEqual(self.s.close(survivors[0]), 0)
        self.assert_whole_file('after the close')
        print(f'{count} simultaneous starts')

    def test_starts_and_closes_keep_twenty_backups_and_one_marker(self):
        runs = endurance_count(10, 100)
        for run in range(runs):
            process, _ = self.s.start_and_wait()
            self.assertEqual(self.s.close(process), 0, f'run {run + 1}')
        backups = self.s.backups()
        self.assertEqual(len(backups), min(runs, 20))
        markers = [b for b in backups if b.endswith('-.cfg')]
        # From slot 0 the marker moves one slot a run, round the twenty slots.
        self.assertEqual(markers, [f'Vantrel_Bkup{(runs - 1) % 20:03d}-.cfg'])
        with open(os.path.join(self.s.backup_dir, markers[0]), 'rb') as f:
            self.assertEqual(f.read(), self.s.config_bytes())
        print(f'{runs} starts and closes')


if __name__ == '__main__':
    main()
