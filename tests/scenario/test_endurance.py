"""Faults and endurance of the real Vantrel.exe: killed while saving, started ten times at
once, started and closed a hundred times. Each test is bounded by the scenario timeout."""
import os
import random
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, WINE, main  # noqa: E402

HEADER = '//#v0003 DO NOT CHANGE THIS LINE'
# Enough tiles that a save takes a while, so that many kills land inside one.
TILES = [rf'{r},{c},0,{3289650 + c},C:\Data\Project {r}\file {c}#^e$, draft.txt,File {r} {c}'
         for r in range(1, 51) for c in range(1, 101)]


class EnduranceTest(ScenarioTest):

    def assert_whole_file(self, what):
        """The file loads completely: the header, a settings line of 6 or 7 rows, every tile."""
        lines = self.s.config_lines()
        self.assertEqual(lines[0], HEADER, what)
        settings = lines[1].split(',')
        self.assertEqual(len(settings), 12, what)
        self.assertIn(settings[8], ('6', '7'), what)
        self.assertEqual(lines[2:], TILES, what)

    def test_killed_at_random_moments_while_saving_leaves_the_old_or_the_new_file(self):
        self.s.write_config([HEADER, '0,0,700,600,0,0,90,1,6,100,1,1'] + TILES)
        rng = random.Random(11)
        caught_mid_save = 0
        for kill in range(50):
            process = self.s.start()
            self.s.wait_window()
            loop = subprocess.Popen([WINE, self.s.probe_exe, 'save-loop'], env=self.s.env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.5, 2.5))
            os.kill(process.pid, signal.SIGKILL)   # ends its Wine process at once, as a crash would
            process.wait()
            loop.kill()
            loop.wait()
            self.s.processes.remove(process)
            self.s.wait_for(lambda: self.s.window() is None, 20, 'the window gone')
            caught_mid_save += os.path.exists(self.s.config_path + '.new')
            self.assert_whole_file(f'after kill {kill + 1}')
        # The test only means something if some kills fell inside a save.
        self.assertGreater(caught_mid_save, 0)

    def test_ten_simultaneous_starts_leave_one_instance_and_an_intact_file(self):
        self.s.write_config([HEADER, '0,0,700,600,0,0,90,1,6,100,1,1'] + TILES)
        starts = [self.s.start() for _ in range(10)]
        self.s.wait_for(lambda: sum(p.poll() is not None for p in starts) == 9, 120, 'all but one start to end')
        time.sleep(1)
        survivors = [p for p in starts if p.poll() is None]
        self.assertEqual(len(survivors), 1)
        self.assertEqual(sorted(p.returncode for p in starts if p is not survivors[0]), [1] * 9)
        self.assert_whole_file('with the instance running')
        self.assertEqual(self.s.close(survivors[0]), 0)
        self.assert_whole_file('after the close')

    def test_a_hundred_starts_and_closes_keep_twenty_backups_and_one_marker(self):
        for run in range(100):
            process, _ = self.s.start_and_wait()
            self.assertEqual(self.s.close(process), 0, f'run {run + 1}')
        backups = self.s.backups()
        self.assertEqual(len(backups), 20)
        markers = [b for b in backups if b.endswith('-.cfg')]
        # A hundred runs from slot 0: the marker went round five times and stands on slot 19.
        self.assertEqual(markers, ['Vantrel_Bkup019-.cfg'])
        with open(os.path.join(self.s.backup_dir, markers[0]), 'rb') as f:
            self.assertEqual(f.read(), self.s.config_bytes())


if __name__ == '__main__':
    main()
