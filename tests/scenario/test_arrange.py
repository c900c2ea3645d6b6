"""Moving tiles and taking changes back with the real Vantrel.exe, as a user would: a tile carried
with Ctrl held, Alt and the arrows, a delete, and Ctrl+Z."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, main  # noqa: E402

HEADER = '//#v0003 DO NOT CHANGE THIS LINE'
A = r'C:\Tools\a.exe,Alpha'
B = r'C:\Tools\b.txt,Bravo'
C = r'C:\Tools\c.txt,Charlie'


class ArrangeTest(ScenarioTest):

    def tiles(self):
        """The tile lines of the file, after the header and the settings."""
        return self.s.config_lines()[2:]

    def test_carry_move_delete_and_take_back(self):
        self.s.write_config([HEADER, '0,0,900,700,0,0,90,1,6,8,1,1', '1,1,2,3289650,' + A, '1,4,0,3289650,' + B,
                             '2,4,0,3289650,' + C])
        process, window = self.s.start_and_wait()
        # Ctrl held, the tile at (1, 1) is carried three tiles right and one down, onto C.
        x, y = self.s.tile_centre(window, 1, 1)
        to_x, to_y = self.s.tile_centre(window, 2, 4)
        self.s.move_pointer(x, y)
        self.s.xdotool('keydown', 'ctrl', 'mousedown', '1')
        for step in range(1, 9):
            self.s.xdotool('mousemove', '--sync', str(x + (to_x - x) * step // 8), str(y + (to_y - y) * step // 8))
        self.s.screenshot('carrying')
        self.s.xdotool('mouseup', '1', 'keyup', 'ctrl')
        swapped = ['1,1,0,3289650,' + C, '1,4,0,3289650,' + B, '2,4,2,3289650,' + A]
        self.s.wait_for(lambda: self.tiles() == swapped, 15, 'the carried tile swapped with C')

        # Alt+Right twice moves it on to (2, 6).
        self.s.park_pointer(window)
        self.s.key('alt+Right', 'alt+Right')
        moved = ['1,1,0,3289650,' + C, '1,4,0,3289650,' + B, '2,6,2,3289650,' + A]
        self.s.wait_for(lambda: self.tiles() == moved, 15, 'the tile moved by Alt+Right twice')
        self.assertIsNone(self.s.window('#32768'), 'letting Alt go opens no menu')

        # Deleted from its menu, then three Ctrl+Z: back where the carry left it.
        self.s.key('space')
        self.s.wait_for(lambda: (lambda m: m is not None and m['visible'])(self.s.window('#32768')), 15, 'the menu')
        self.s.key('Down', 'Return')
        self.assertEqual(self.s.wait_boxes(1)[0]['caption'], 'Delete Tile')
        self.s.key('y')
        self.s.wait_for(lambda: self.tiles() == moved[:2], 15, 'the tile deleted')
        self.s.key('ctrl+z', 'ctrl+z', 'ctrl+z')
        self.s.wait_for(lambda: self.tiles() == swapped, 15, 'three changes taken back')
        self.assertEqual(self.s.close(process), 0)

        process, _ = self.s.start_and_wait()
        self.assertEqual(self.s.close(process), 0)
        self.assertEqual(self.tiles(), swapped)
        self.assertEqual(self.s.config_lines()[1].split(',')[10:], ['2', '4'], 'the selection on the tile taken back')


if __name__ == '__main__':
    main()
