"""A day of use of the real Vantrel.exe on a fresh machine, driven only by keys and clicks as
a new user would: fill three tiles, rename and recolour them, grow the grid, change and use
the hotkey, run a tile, delete one, close, and find it all again at the next start."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, main  # noqa: E402

HEADER = '//#v0003 DO NOT CHANGE THIS LINE'
WHITE = 0xFFFFFF


class DayOfUseTest(ScenarioTest):

    def menu_on_selection(self, *keys):
        """Opens the selected tile's menu with Space and picks an item with the keys."""
        self.s.key('space')
        self.s.wait_window(class_name='#32768')
        self.s.key(*keys)

    def program_menu(self, window, steps):
        """Opens the menu by a right click in the top margin, where it holds only the program
        commands, and picks the item that many steps down."""
        left, top = window['client'][:2]
        self.s.click(left + 200, top + 4, button=3)
        self.s.wait_window(class_name='#32768')
        self.s.key(*(['Down'] * steps), 'Return')

    def dialog(self, caption):
        return self.s.wait_window(class_name='#32770', condition=lambda d: d['visible'] and d['title'] == caption)

    def closes(self):
        self.s.wait_for(lambda: self.s.window('#32770') is None, 15, 'the dialog to close')

    def type(self, text):
        self.s.xdotool('type', '--delay', '30', text)

    def test_a_day_of_use(self):
        folder = self.s.drive_c('vantrel-day')
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        shutil.copy(os.path.join(self.s.build, 'tests', 'mark.exe'), folder)
        process, window = self.s.start_and_wait()
        self.s.screenshot().save_png(os.path.join(self.s.artifacts, 'day-start.png'), window['rect'])

        # A typed path on (1, 1), a typed URL on (1, 2), a folder from the picker on (1, 3).
        self.menu_on_selection('Down', 'Down', 'Return')
        self.dialog('Tile Settings - Enter Path, URL, or Shell Shortcut')
        self.type(r'C:\vantrel-day\mark.exe')
        self.s.key('Tab')
        self.type('Marker')
        self.s.key('Return')
        self.closes()
        self.s.key('Right')
        self.menu_on_selection('Down', 'Down', 'Return')
        self.dialog('Tile Settings - Enter Path, URL, or Shell Shortcut')
        self.type('https://example.org')
        self.s.key('Return')
        self.closes()
        self.s.key('Right')
        self.menu_on_selection('Down', 'Return')
        self.dialog('Browse for Folder')
        self.s.key('Down', 'Down', 'Return')   # the second folder under the desktop: Documents
        self.closes()
        home = self.s.probe('appdata')[1]['appdata'].rsplit('\\', 2)[0]
        folder_line = self.s.wait_for(lambda: [line for line in self.s.config_lines() if line.startswith('1,3,')], 15,
                                      'the folder tile in the file')[0]
        self.assertEqual(folder_line.split(',')[4].rstrip('\\'), home + '\\Documents')   # Wine ends it in a backslash

        # Rename the URL tile, then make it red.
        self.s.key('Left')
        self.menu_on_selection('Down', 'Down', 'Return')
        self.dialog('Tile Settings - Tile Name')
        self.s.key('End', 'shift+Home')
        self.type('Web')
        self.s.key('Tab')
        self.type('Site')
        self.s.key('Return')
        self.closes()
        self.menu_on_selection('Down', 'Down', 'Down', 'Return')
        self.dialog('Color')
        self.s.key('alt+r')
        self.type('200')
        self.s.key('alt+g')
        self.type('0')
        self.s.key('alt+b')
        self.type('0')
        self.s.key('Return')
        self.closes()

        # A grid of 10 x 12, and End shows its far corner.
        self.program_menu(window, 1)
        self.dialog('Program Settings - Rows and Columns')
        self.s.key('BackSpace')
        self.type('10')
        self.s.key('Tab')
        self.type('12')
        self.s.key('Return')
        self.closes()
        self.s.key('End')
        left, top, right, bottom = window['client']
        corner = (right - 21 - 102, bottom - 21 - 102)   # the last tile, brought fully into view
        self.s.wait_for(lambda: self.s.screenshot().pixel(corner[0] + 2, corner[1] + 50) == WHITE, 15,
                        'the frame on tile (10, 12) in the far corner')
        self.s.key('Home')   # back to the top-left corner, where the top margin shows again

        # Ctrl+Alt+Q instead of Ctrl+Alt+Z: it hides the window and brings it back.
        self.program_menu(window, 2)
        self.dialog('Program Settings - Hotkey')
        self.s.key('BackSpace')
        self.type('q')
        self.s.key('Return')
        self.closes()
        self.s.key('ctrl+alt+q')
        self.s.wait_window(condition=lambda w: w['iconic'])
        self.s.key('ctrl+alt+q')
        self.s.wait_window(condition=lambda w: w['visible'] and not w['iconic'])

        # Run the program tile, then delete the folder tile.
        self.s.park_pointer(window)
        self.s.key('Home', 'Return')
        self.s.wait_for(lambda: os.path.exists(os.path.join(folder, 'mark.exe.ran')), 30, 'the program to run')
        self.s.key('Right', 'Right')
        self.menu_on_selection('Down', 'Return')
        self.assertEqual(self.s.wait_boxes(1)[0]['caption'], 'Delete Tile')
        self.s.key('y')
        self.s.wait_for(lambda: len(self.s.config_lines()) == 4, 15, 'two tiles left in the file')
        self.s.key('alt+F4')
        self.assertEqual(self.s.wait_exit(process), 0)

        expected = [r'1,1,0,3289650,C:\vantrel-day\mark.exe,Marker',
                    '1,2,0,200,https://example.org,Web         Site']
        lines = self.s.config_lines()
        self.assertEqual(lines[2:], expected)
        settings = lines[1].split(',')
        self.assertEqual(settings[6:], ['81', '1', '10', '12', '1', '3'])

        # The next start finds everything as it was: the tiles, the selection on the emptied
        # (1, 3), the hotkey, and the grid of 10 x 12, which it writes back at the close.
        process, window = self.s.start_and_wait()
        x, y = self.s.tile_centre(window, 1, 2)
        shot = self.s.wait_for(lambda: (lambda shot: shot if shot.pixel(x, y - 40) == 0xC80000 else None)(
            self.s.screenshot()), 15, 'the red tile')
        shot.save_png(os.path.join(self.s.artifacts, 'day-end.png'), window['rect'])
        x, y = self.s.tile_centre(window, 1, 3)
        self.assertEqual(shot.pixel(x - 49, y), WHITE)
        self.s.key('ctrl+alt+q')
        self.s.wait_window(condition=lambda w: w['iconic'])
        self.s.key('ctrl+alt+q')
        self.s.wait_window(condition=lambda w: w['visible'] and not w['iconic'])
        self.s.key('alt+F4')
        self.assertEqual(self.s.wait_exit(process), 0)
        self.assertEqual(self.s.config_lines()[2:], expected)
        self.assertEqual(self.s.config_lines()[1].split(',')[6:], ['81', '1', '10', '12', '1', '3'])
        self.assertEqual(self.s.backups(), ['Vantrel_Bkup000.cfg', 'Vantrel_Bkup001-.cfg'])


if __name__ == '__main__':
    main()
