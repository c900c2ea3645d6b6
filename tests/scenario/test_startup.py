"""Start-up, the single instance, the hotkey and shutdown of the real Vantrel.exe."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, WINE, main  # noqa: E402

MAIN_STYLE = 0x02FF0000   # overlapped window, both scroll bars, clip children
WS_VISIBLE = 0x10000000


class StartupTest(ScenarioTest):

    def test_first_start_opens_the_window_and_writes_the_file(self):
        process, window = self.s.start_and_wait()
        self.assertEqual(window['class'], 'Vantrel')
        self.assertEqual(window['title'], 'Vantrel')
        self.assertEqual(window['style'] & MAIN_STYLE, MAIN_STYLE)
        self.assertTrue(window['style'] & WS_VISIBLE)
        self.assertEqual(window['owner'], '0')
        # First placement on the 1280 x 1024 desktop, which has no taskbar.
        left, top, right, bottom = window['rect']
        self.assertEqual(left, -10)
        self.assertEqual(top, 1024 - 637 - 32)
        self.assertGreater(right - left, 843)
        self.assertGreater(bottom - top, 637)

        lines = self.s.wait_for(lambda: os.path.exists(self.s.config_path) and self.s.config_lines(),
                                what='the configuration file')
        self.assertEqual(lines[0], '//#v0003 DO NOT CHANGE THIS LINE')
        fields = [int(v) for v in lines[1].split(',')]
        self.assertEqual(fields[:4], [left, top, right - left, bottom - top])
        self.assertEqual(fields[6:], [90, 1, 6, 8, 1, 1])
        self.assertEqual(len(lines), 2)
        self.assertEqual(self.s.close(process), 0)

    def test_closing_ends_with_code_zero_and_keeps_a_backup(self):
        process, window = self.s.start_and_wait()
        self.assertEqual(self.s.close(process), 0)
        self.assertIsNone(self.s.window())
        lines = self.s.config_lines()
        left, top, right, bottom = window['rect']
        self.assertEqual(lines[1].split(',')[:4], [str(left), str(top), str(right - left), str(bottom - top)])
        self.assertEqual(self.s.backups(), ['Vantrel_Bkup000-.cfg'])
        with open(os.path.join(self.s.backup_dir, 'Vantrel_Bkup000-.cfg'), 'rb') as f:
            self.assertEqual(f.read(), self.s.config_bytes())

    def test_second_start_restores_the_minimised_first_and_touches_no_file(self):
        first, window = self.s.start_and_wait()
        self.s.probe('minimize')
        self.s.wait_window(condition=lambda w: w['iconic'])
        before = self.s.config_bytes()
        stamp = os.stat(self.s.config_path).st_mtime_ns

        second = self.s.start()
        self.assertEqual(self.s.wait_exit(second), 1)
        self.s.wait_window(condition=lambda w: not w['iconic'])
        self.assertEqual(self.s.window()['pid'], window['pid'])
        self.assertEqual(self.s.config_bytes(), before)
        self.assertEqual(os.stat(self.s.config_path).st_mtime_ns, stamp)
        self.assertEqual(self.s.backups(), [])
        self.assertEqual(self.s.close(first), 0)

    def test_second_start_brings_a_covered_first_forward(self):
        first, window = self.s.start_and_wait()
        cover = subprocess.Popen([WINE, self.s.probe_exe, 'cover'], env=self.s.env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.s.wait_window(class_name='VantrelTestCover', condition=lambda w: w['foreground'])
            self.assertFalse(self.s.window()['foreground'])
            self.assertEqual(self.s.wait_exit(self.s.start()), 1)
            self.s.wait_window(condition=lambda w: w['foreground'] and not w['iconic'])
            # Already in front: a further start changes nothing.
            self.assertEqual(self.s.wait_exit(self.s.start()), 1)
            window = self.s.window()
            self.assertTrue(window['foreground'])
            self.assertFalse(window['iconic'])
        finally:
            cover.kill()
            cover.wait()
        self.assertEqual(self.s.close(first), 0)

    def test_a_start_while_the_instance_ends_becomes_the_next_instance(self):
        first, _ = self.s.start_and_wait()
        # With its file held elsewhere, the ending instance shows its message while the
        # window is already gone from the screen.
        appdata_file = self.s.probe('appdata')[1]['appdata'] + '\\Morrowtide\\Vantrel.cfg'
        holder = subprocess.Popen([WINE, self.s.probe_exe, 'hold-file', appdata_file], env=self.s.env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            self.assertEqual(holder.stdout.readline().strip(), b'held=1')
            self.s.probe('close')
            box = self.s.wait_boxes(1)[0]
            self.assertEqual(box['text'], 'Unable to Create or Write to the config file Vantrel.cfg - Exiting Program.')
        finally:
            holder.kill()
            holder.wait()
        second = self.s.start()
        time.sleep(2)
        self.assertIsNone(second.poll(), 'the start must not hand over to an instance that is ending')
        self.s.press_ok()
        self.assertEqual(self.s.wait_exit(first), 0)
        window = self.s.wait_window()
        self.assertEqual(window['pid'], self.s.window()['pid'])
        self.assertIsNone(second.poll())
        self.assertEqual(self.s.close(second), 0)

    def test_hotkey_minimises_restores_and_brings_forward(self):
        process, window = self.s.start_and_wait()
        self.s.wait_window(condition=lambda w: w['foreground'])
        self.s.key('ctrl+alt+z')
        self.s.wait_window(condition=lambda w: w['iconic'], timeout=15)
        self.s.key('ctrl+alt+z')
        self.s.wait_window(condition=lambda w: not w['iconic'], timeout=15)

        cover = subprocess.Popen([WINE, self.s.probe_exe, 'cover'], env=self.s.env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.s.wait_window(class_name='VantrelTestCover', condition=lambda w: w['foreground'])
            self.s.key('ctrl+alt+z')
            self.s.wait_window(condition=lambda w: w['foreground'] and not w['iconic'], timeout=15)
        finally:
            cover.kill()
            cover.wait()
        self.assertEqual(self.s.close(process), 0)

    def test_hotkey_held_elsewhere_gives_one_failure_box_and_the_window_opens(self):
        holder = subprocess.Popen([WINE, self.s.probe_exe, 'hold-hotkey'], env=self.s.env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            self.assertEqual(holder.stdout.readline().strip(), b'held=1')
            process = self.s.start()
            boxes = self.s.wait_boxes(1)
            self.assertEqual(len(boxes), 1)
            self.assertEqual(boxes[0]['caption'], 'Vantrel Error')
            self.assertTrue(boxes[0]['text'].startswith('RegisterHotKey Failed    ---    failed with error 1409: '),
                            boxes[0]['text'])
            self.s.press_ok()
            self.s.wait_window()
            self.assertEqual(self.s.boxes(), [])
            self.assertEqual(self.s.close(process), 0)
            self.assertEqual(self.s.config_lines()[1].split(',')[7], '0')
        finally:
            holder.kill()
            holder.wait()


if __name__ == '__main__':
    main()
