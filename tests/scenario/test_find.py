"""Finding a tile by a part of its name or target in the real Vantrel.exe, typed as a user
types it: Ctrl+F, a few letters, Esc or Return."""
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, main  # noqa: E402

HEADER = '//#v0003 DO NOT CHANGE THIS LINE'
WHITE = 0xFFFFFF
BLUE = 0x004080   # the notes tile's colour on the screen (0x804000 as the file stores it)


class FindTest(ScenarioTest):

    def frame_on(self, window, row, column):
        x, y = self.s.tile_centre(window, row, column)
        shot = self.s.screenshot()
        return shot.pixel(x - 49, y) == WHITE and shot.pixel(x, y - 49) == WHITE

    def notes_colour(self, window):
        x, y = self.s.tile_centre(window, 1, 1)
        return self.s.screenshot().pixel(x - 30, y - 30)

    def test_ctrl_f_finds_by_name_and_target_and_return_runs_the_match(self):
        folder = self.s.drive_c('vantrel-find', 'Tools')
        shutil.rmtree(os.path.dirname(folder), ignore_errors=True)
        os.makedirs(folder)
        shutil.copy(os.path.join(self.s.build, 'tests', 'mark.exe'), folder)
        self.s.write_config([HEADER, '0,0,900,700,0,0,90,1,6,8,1,1',
                             r'1,1,0,8404992,C:\vantrel-find\notes.txt,Notes',
                             r'2,5,0,3289650,C:\vantrel-find\Budget 2026.csv,Budget 2026',
                             r'4,2,2,3289650,C:\vantrel-find\Tools\mark.exe,Runner'])
        process, window = self.s.start_and_wait()
        self.s.wait_for(lambda: self.frame_on(window, 1, 1), 15, 'the frame on (1, 1)')

        # A part of a name: the match is selected, the other tiles are dimmed.
        self.s.key('ctrl+f')
        self.s.xdotool('type', '--delay', '60', 'budget')
        self.s.wait_for(lambda: self.frame_on(window, 2, 5), 15, 'the frame on the budget tile')
        self.s.wait_for(lambda: self.notes_colour(window) not in (BLUE, WHITE), 15, 'the notes tile dimmed')
        self.s.screenshot('find-budget')

        # A screen reader in another process finds the bar after the 48 tiles, with its label,
        # field and count.
        code, walk = self.s.probe('children')
        self.assertEqual((walk['count'], walk['inorder'], walk['objects'], walk['object'], walk['parts']),
                         ('49', '1', '1', 'Find bar', '3'))
        self.s.key('Escape')
        self.s.wait_for(lambda: self.notes_colour(window) == BLUE, 15, 'the normal picture')
        self.assertTrue(self.frame_on(window, 2, 5), 'Esc leaves the selection on the match')

        # A part of a target, in capitals, and Return runs it, once.
        self.s.key('ctrl+f')
        self.s.xdotool('type', '--delay', '60', '\\TOOLS\\')
        self.s.wait_for(lambda: self.frame_on(window, 4, 2), 15, 'the frame on the tools tile')
        self.s.key('Return')
        ran = os.path.join(folder, 'mark.exe.ran')
        self.s.wait_for(lambda: os.path.exists(ran), 30, 'the program to run')
        self.s.wait_for(lambda: self.notes_colour(window) == BLUE, 15, 'the bar closed')
        time.sleep(1)   # time for a second run to show
        with open(ran, 'rb') as f:
            self.assertEqual(f.read().decode('utf-16-le').count('\n'), 1)

        # The selection the find left is saved; nothing typed is.
        self.assertEqual(self.s.close(process), 0)
        lines = self.s.config_lines()
        self.assertEqual(lines[1].split(',')[10:], ['4', '2'])
        self.assertFalse(any('TOOLS' in line or 'budget' in line for line in lines))


if __name__ == '__main__':
    main()
