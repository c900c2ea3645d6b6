"""Clicks, the context menu and launching with the real Vantrel.exe."""
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, main  # noqa: E402

HEADER = '//#v0003 DO NOT CHANGE THIS LINE'
GREY = 0x323232


class CommandsTest(ScenarioTest):

    def setUp(self):
        super().setUp()
        self.folder = self.s.drive_c('vantrel-scenario')
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        shutil.copy(os.path.join(self.s.build, 'tests', 'mark.exe'), self.folder)
        with open(os.path.join(self.folder, 'notes.txt'), 'w') as f:
            f.write('notes')
        self.s.write_config([HEADER, '0,0,900,700,0,0,90,1,6,8,1,1',
                             r'1,1,2,3289650,C:\vantrel-scenario\mark.exe,Mark',
                             r'1,2,0,3289650,C:\vantrel-scenario\notes.txt,Notes'])

    def menu_open(self):
        menu = self.s.window('#32768')
        return menu is not None and menu['visible']

    def test_menu_delete_location_and_launch_by_mouse_and_keys(self):
        process, window = self.s.start_and_wait()
        notes = self.s.tile_centre(window, 1, 2)

        self.s.click(*notes, button=3)
        self.s.wait_for(self.menu_open, 15, 'the context menu')
        self.s.screenshot('context-menu')
        self.s.key('Escape')
        self.s.wait_for(lambda: not self.menu_open(), 15, 'the menu to close')
        self.assertEqual(len(self.s.config_lines()), 4)

        # Delete Tile is the first item on a filled tile; the question defaults to No.
        self.s.click(*notes, button=3)
        self.s.wait_for(self.menu_open, 15, 'the context menu')
        self.s.key('Down', 'Return')
        box = self.s.wait_boxes(1)[0]
        self.assertEqual(box['caption'], 'Delete Tile')
        self.assertEqual(box['text'], 'Are you sure you want to delete the tile:\n\n   Notes')
        self.s.key('y')
        self.s.wait_for(lambda: len(self.s.config_lines()) == 3, 15, 'the tile gone from the file')
        x, y = notes
        self.s.wait_for(lambda: self.s.screenshot().count(x - 40, y - 40, x + 40, y + 40, GREY) == 80 * 80,
                        15, 'an empty tile on screen')

        self.s.click(*self.s.tile_centre(window, 2, 5), button=3, modifiers=('shift',))
        box = self.s.wait_boxes(1)[0]
        self.assertEqual((box['caption'], box['text']), ('Location of the Tile you Clicked', 'Row,Column  =  2,5'))
        self.s.press_ok()
        self.s.wait_for(lambda: not self.s.boxes(), 15, 'the box to close')

        # A double click, out of habit, runs the program once.
        self.s.click(*self.s.tile_centre(window, 1, 1), repeat=2)
        ran = os.path.join(self.folder, 'mark.exe.ran')
        self.s.wait_for(lambda: os.path.exists(ran), 30, 'the program to run')
        time.sleep(2)   # time for a second run to show
        with open(ran, 'rb') as f:
            self.assertEqual(f.read().decode('utf-16-le').count('\n'), 1)
        self.assertEqual(self.s.close(process), 0)
        self.assertEqual(self.s.config_lines()[2:], [r'1,1,2,3289650,C:\vantrel-scenario\mark.exe,Mark'])


if __name__ == '__main__':
    main()
