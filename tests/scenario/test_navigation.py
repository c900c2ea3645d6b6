"""Keyboard navigation and scrolling of the real Vantrel.exe on a grid larger than its window."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, main  # noqa: E402

HEADER = '//#v0003 DO NOT CHANGE THIS LINE'
WHITE = 0xFFFFFF
PITCH = 103


class NavigationTest(ScenarioTest):

    # Scroll bars cannot be read from another process under Wine: the picture tells.
    def wait_frame_at(self, row, column, h=0, v=0):
        """Waits until the selection frame shows on tile (row, column) at scroll position h, v."""
        def framed():
            window = self.s.window()
            left, top = window['client'][:2]
            x = left + 10 + (column - 1) * PITCH - h
            y = top + 10 + (row - 1) * PITCH - v
            shot = self.s.screenshot()
            return shot.pixel(x + 2, y + 50) == WHITE and shot.pixel(x + 50, y + 2) == WHITE
        self.s.wait_for(framed, 15, f'the frame on tile ({row}, {column})')

    def test_keys_move_the_frame_and_the_view_follows(self):
        self.s.write_config([HEADER, '0,0,700,600,0,0,90,1,20,30,1,1'])
        process, window = self.s.start_and_wait()
        left, top, right, bottom = window['client']
        # The largest positions leave two margins and one pixel below and right of the last tile.
        h_end = 20 + 30 * PITCH - 1 + 11 - (right - left)
        v_end = 20 + 20 * PITCH - 1 + 11 - (bottom - top)
        self.wait_frame_at(1, 1)
        self.s.key('Right', 'Right', 'Right', 'Down', 'Down')
        self.wait_frame_at(3, 4)
        self.s.key('End')
        self.wait_frame_at(20, 30, h_end, v_end)
        self.s.screenshot('navigation-end')
        self.s.key('Left', 'Up')
        self.wait_frame_at(19, 29, h_end, v_end)
        self.s.key('Home')
        self.wait_frame_at(1, 1)
        # Up wraps to row 20, which comes into view with the smallest move: its bottom edge
        # at the client's bottom edge.
        self.s.key('Up')
        v_row20 = 10 + 19 * PITCH + 102 - (bottom - top)
        self.wait_frame_at(20, 1, 0, v_row20)
        self.assertEqual(self.s.close(process), 0)
        self.assertEqual(self.s.config_lines()[1].split(',')[4:], ['0', str(v_row20), '90', '1', '20', '30', '20', '1'])

    def test_a_saved_position_beyond_the_old_default_range_survives_restarts(self):
        self.s.write_config([HEADER, '0,0,700,600,300,300,90,1,20,30,4,4'])
        for run in range(2):
            process, _ = self.s.start_and_wait()
            # Tile (4, 4) starts at content pixel 319, 319: on screen at 19, 19.
            self.wait_frame_at(4, 4, 300, 300)
            self.assertEqual(self.s.close(process), 0)
            self.assertEqual(self.s.config_lines()[1].split(',')[4:6], ['300', '300'], f'run {run + 1}')

    def test_a_screen_reader_walks_the_largest_grid_in_one_go(self):
        self.s.write_config([HEADER, '0,0,700,600,0,0,90,1,50,100,50,100'])
        process, _ = self.s.start_and_wait()
        # AccessibleChildren from another process, as a screen reader lists the grid.
        code, walk = self.s.probe('children')
        print(f'AccessibleChildren over {walk.get("count")} tiles across processes: {walk.get("ms")} ms')
        self.assertEqual((code, walk['count'], walk['fetched'], walk['result'], walk['inorder']),
                         (0, '5000', '5000', '0x00000000', '1'))
        code, tile = self.s.probe('accessible', '5000')
        self.assertEqual(int(tile['state']) & 0x6, 0x6, 'the last tile, selected, has the focus')
        self.assertEqual(self.s.close(process), 0)


if __name__ == '__main__':
    main()
