"""The configuration file and its backups, with the real Vantrel.exe."""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, main  # noqa: E402

HEADER = '//#v0003 DO NOT CHANGE THIS LINE'
EXAMPLE_TILES = [
    r'1,1,2,3289650,C:\Tools\Editor\editor.exe,Editor',
    r'1,2,1,255,D:\Projects,Projects',
    r'2,1,0,3289650,C:\Data\notes#^e$, draft.txt,Notes#^e$, draft',
]
WHITE = 0xFFFFFF
RED = 0xFF0000
GREY = 0x323232
PITCH = 103


class ConfigTest(ScenarioTest):

    def tile_origin(self, window, row, column):
        left, top = window['client'][:2]
        return left + 10 + (column - 1) * PITCH, top + 10 + (row - 1) * PITCH

    def wait_for_picture(self, window, check):
        return self.s.wait_for(lambda: (lambda shot: shot if check(shot) else None)(self.s.screenshot()),
                               15, 'the expected picture')

    def test_example_file_shows_its_three_tiles(self):
        self.s.write_config([HEADER, '-10,0,859,646,0,0,90,1,6,8,1,2'] + EXAMPLE_TILES)
        process, window = self.s.start_and_wait()
        self.assertEqual(window['rect'], (-10, 0, 849, 646))
        red_x, red_y = self.tile_origin(window, 1, 2)
        shot = self.wait_for_picture(window, lambda shot: shot.pixel(red_x + 50, red_y + 20) == RED)
        shot.save_png(os.path.join(self.s.artifacts, 'example-file.png'))

        # (1, 2): pure red, selected, labelled in white.
        self.assertEqual(shot.pixel(red_x + 2, red_y + 50), WHITE)
        self.assertGreater(shot.count(red_x + 12, red_y + 79, red_x + 100, red_y + 95, WHITE), 10)
        # (1, 1) and (2, 1): filled grey tiles with white labels; (2, 2) is empty.
        for row, column in ((1, 1), (2, 1)):
            x, y = self.tile_origin(window, row, column)
            self.assertEqual(shot.pixel(x + 4, y + 4), GREY)
            self.assertGreater(shot.count(x + 12, y + 67, x + 100, y + 95, WHITE), 10, (row, column))
        x, y = self.tile_origin(window, 2, 2)
        self.assertEqual(shot.count(x + 1, y + 1, x + 101, y + 101, GREY), 100 * 100)
        # A screen reader in another process reads the selected folder tile.
        code, tile = self.s.probe('accessible', '2')
        self.assertEqual((code, tile['count'], tile['name'], tile['value']), (0, '48', 'Projects', r'D:\Projects'))
        self.assertEqual(int(tile['state']) & 0x6, 0x6, 'focused and selected')
        self.assertEqual(self.s.close(process), 0)

        lines = self.s.config_lines()
        self.assertEqual(lines[0], HEADER)
        self.assertEqual(lines[1], '-10,0,859,646,0,0,90,1,6,8,1,2')
        self.assertEqual(lines[2:], EXAMPLE_TILES)

    def test_every_run_rewrites_the_file_and_advances_the_backup_marker(self):
        self.s.write_config([HEADER, '-10,0,859,646,0,0,90,1,6,8,1,2'] + EXAMPLE_TILES)
        for run, expected in enumerate([['Vantrel_Bkup000-.cfg'],
                                        ['Vantrel_Bkup000.cfg', 'Vantrel_Bkup001-.cfg'],
                                        ['Vantrel_Bkup000.cfg', 'Vantrel_Bkup001.cfg', 'Vantrel_Bkup002-.cfg']]):
            process, _ = self.s.start_and_wait()
            self.assertEqual(self.s.close(process), 0)
            self.assertEqual(self.s.backups(), expected, f'run {run + 1}')
            with open(os.path.join(self.s.backup_dir, expected[-1]), 'rb') as f:
                self.assertEqual(f.read(), self.s.config_bytes())
        self.assertEqual(self.s.config_lines()[2:], EXAMPLE_TILES)

    def test_minimised_rectangle_warns_falls_back_and_still_loads_the_tiles(self):
        self.s.write_config([HEADER, '-32000,-32000,160,27,0,0,65,1,9,9,1,2'] + EXAMPLE_TILES)
        process = self.s.start()
        boxes = self.s.wait_boxes(1)
        self.assertEqual(boxes[0]['caption'], 'ERROR - Configuration File Settings Unreadable')
        self.assertEqual(boxes[0]['text'],
                         'The Configuration File settings can not be read. Using default program settings')
        self.assertIsNone(self.s.window())
        self.s.press_ok()
        window = self.s.wait_window()
        self.assertEqual(window['rect'][:2], (-10, 1024 - 637 - 32))
        red_x, red_y = self.tile_origin(window, 1, 2)
        self.wait_for_picture(window, lambda shot: shot.pixel(red_x + 50, red_y + 20) == RED)
        self.assertEqual(self.s.close(process), 0)
        fields = self.s.config_lines()[1].split(',')
        self.assertEqual(fields[6:], ['90', '1', '6', '8', '1', '1'])
        self.assertEqual(self.s.config_lines()[2:], EXAMPLE_TILES)

    def test_closing_while_minimised_keeps_the_restored_placement(self):
        process, window = self.s.start_and_wait()
        self.s.probe('minimize')
        self.s.wait_window(condition=lambda w: w['iconic'])
        self.assertEqual(self.s.close(process), 0)
        left, top, right, bottom = window['rect']
        fields = self.s.config_lines()[1].split(',')
        self.assertEqual([int(v) for v in fields[:4]], [left, top, right - left, bottom - top])

        process, again = self.s.start_and_wait()
        self.assertEqual(self.s.boxes(), [])
        self.assertEqual(again['rect'], window['rect'])
        self.assertEqual(self.s.close(process), 0)

    def test_a_rectangle_no_monitor_shows_takes_the_first_placement(self):
        self.s.write_config([HEADER, '3000,2500,700,500,0,0,90,1,6,8,1,1'])
        process, window = self.s.start_and_wait()
        self.assertEqual(window['rect'][:2], (-10, 1024 - 637 - 32))
        self.assertEqual(self.s.close(process), 0)

    def test_another_format_version_is_replaced_before_the_window_opens(self):
        self.s.write_config(['//#v0004 DO NOT CHANGE THIS LINE', '-10,0,859,646,0,0,65,1,9,9,1,2'] + EXAMPLE_TILES)
        process, window = self.s.start_and_wait()
        self.assertEqual(self.s.boxes(), [], 'the rewrite before the window shows no box')
        self.assertTrue(os.path.exists(self.s.config_path + '.v0004'))
        self.assertEqual(self.s.close(process), 0)
        lines = self.s.config_lines()
        self.assertEqual(lines[0], HEADER)
        left, top, right, bottom = window['rect']
        self.assertEqual(lines[1], f'{left},{top},{right - left},{bottom - top},0,0,90,1,6,8,1,1')
        self.assertEqual(len(lines), 2)

    def test_a_file_read_in_part_is_kept_and_the_user_told_once_the_window_shows(self):
        self.s.write_config([HEADER, '-10,0,859,646,0,0,90,1,6,8,1,2'] + EXAMPLE_TILES + [r'3,3,x,0,C:\bad,Bad'])
        original = self.s.config_bytes()
        process = self.s.start()
        box = self.s.wait_boxes(1)[0]
        self.assertTrue(box['text'].endswith('\\Morrowtide\\Vantrel.cfg.unread') and self.s.window()['visible'])
        self.s.press_ok()
        self.s.wait_for(lambda: self.s.config_lines()[2:] == EXAMPLE_TILES, 15, 'the file saved without the line')
        with open(self.s.config_path + '.unread', 'rb') as f:
            self.assertEqual(f.read(), original)
        self.assertEqual(self.s.close(process), 0)

    def test_a_file_that_cannot_be_read_ends_the_start_and_stays_as_it_is(self):
        os.makedirs(self.s.config_dir, exist_ok=True)
        big_endian = b'\xfe\xff' + '//#v0003 DO NOT CHANGE THIS LINE\r\n'.encode('utf-16-be')
        with open(self.s.config_path, 'wb') as f:
            f.write(big_endian)
        process = self.s.start()
        box = self.s.wait_boxes(1)[0]
        self.assertEqual(box['text'], "Couldn't Create Config File")
        self.assertEqual(box['caption'], 'Error - Vantrel ')
        self.s.press_ok()
        box = self.s.wait_for(lambda: (lambda b: b[0] if b and b[0]['text'] != box['text'] else None)(self.s.boxes()),
                              15, 'the second message')
        self.assertEqual(box['text'], 'Unable to Create or Access the config file Vantrel.cfg - Exiting Program.')
        self.assertEqual(box['owner'], '0')
        self.s.press_ok()
        self.s.wait_exit(process)
        self.assertIsNone(self.s.window())
        self.assertEqual(self.s.config_bytes(), big_endian)
        self.assertEqual(self.s.backups(), [])

    def test_deleted_tiles_come_back_from_an_earlier_state_and_go_again_with_ctrl_z(self):
        tiles = [rf'1,{column},0,3289650,C:\Data\t{column}.txt,T{column}' for column in range(1, 6)]
        self.s.write_config([HEADER, '0,0,640,520,0,0,90,1,6,8,1,1'] + tiles)
        process, _ = self.s.start_and_wait()
        self.assertEqual(self.s.close(process), 0)   # a closed state with the five tiles

        process, window = self.s.start_and_wait()
        for column in (2, 3, 4):
            self.s.click(*self.s.tile_centre(window, 1, column), button=3)
            self.s.wait_window(class_name='#32768')
            self.s.key('Down', 'Return')
            self.s.wait_boxes(1)
            self.s.key('y')
            self.s.wait_for(lambda: len(self.s.config_lines()) == 8 - column, 15, 'the tile gone from the file')
        self.assertEqual(self.s.close(process), 0)

        process, window = self.s.start_and_wait()
        # From the keyboard: the menu of tile (1, 1), its eighth item.
        self.s.key('Home', 'space')
        self.s.wait_window(class_name='#32768')
        self.s.key(*['Down'] * 8, 'Return')
        self.s.wait_window(class_name='#32770', condition=lambda w: w['visible'] and w['title'] == 'Earlier Tiles')
        states = self.s.lists('Earlier Tiles')[0]
        self.assertEqual(states['selected'], 0)
        line = re.compile(r'^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) \d{1,2} [A-Z][a-z]{2} \d\d:\d\d - closed - ')
        self.assertTrue(all(line.match(item) for item in states['items']), states['items'])
        self.assertEqual([item.split(' - ', 2)[2] for item in states['items']],
                         ['2 tiles - same as now', '5 tiles - 3 missing now'])
        self.s.key('Down')
        self.s.wait_for(lambda: len(self.s.lists('Earlier Tiles')[1]['items']) == 3, 15, 'the differences listed')
        self.assertEqual(self.s.lists('Earlier Tiles')[1]['items'],
                         [f'Row 1, column {column}: T{column} - missing now' for column in (2, 3, 4)])
        self.s.key('Tab', 'Tab', 'space')   # Restore Missing Tiles
        self.s.wait_for(lambda: self.s.config_lines()[2:] == tiles, 15, 'the three tiles back in the file')
        self.assertIsNone(self.s.window('#32770'))

        self.s.key('ctrl+z')
        self.s.wait_for(lambda: len(self.s.config_lines()) == 4, 15, 'the restore taken back')
        for column, empty in ((1, False), (2, True), (3, True), (4, True), (5, False)):
            x, y = self.s.tile_centre(window, 1, column)   # inside the selection's frame
            grey = (lambda: self.s.screenshot().count(x - 40, y - 40, x + 40, y + 40, GREY) == 80 * 80)
            self.s.wait_for(lambda: grey() == empty, 15, f'tile (1, {column}) {"empty" if empty else "filled"} on screen')
        self.assertEqual(self.s.close(process), 0)
        process, _ = self.s.start_and_wait()
        self.assertEqual(self.s.close(process), 0)
        self.assertEqual(self.s.config_lines()[2:], [tiles[0], tiles[4]])


if __name__ == '__main__':
    main()
