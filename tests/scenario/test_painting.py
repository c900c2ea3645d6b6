"""What the real Vantrel.exe shows on the screen."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, main  # noqa: E402

BLACK = 0x000000
WHITE = 0xFFFFFF
GREY = 0x323232
PITCH = 103


class PaintingTest(ScenarioTest):

    def test_first_picture_shows_the_empty_default_grid_with_tile_one_one_framed(self):
        process, window = self.s.start_and_wait()
        left, top, right, bottom = window['client']

        def framed():
            shot = self.s.screenshot()
            return shot if shot.pixel(left + 10 + 2, top + 10 + 50) == WHITE else None
        shot = self.s.wait_for(framed, 15, 'the first picture')
        shot.save_png(os.path.join(self.s.artifacts, 'first-picture.png'))

        # The client area starts a few pixels left of the screen: the window's left is -10.
        self.assertEqual(shot.pixel(left + 8, top + 5), BLACK)
        self.assertEqual(shot.pixel(left + 50, top + 5), BLACK)
        for row in range(1, 7):
            for column in range(1, 9):
                x = left + 10 + (column - 1) * PITCH
                y = top + 10 + (row - 1) * PITCH
                where = f'tile ({row}, {column}) at {x - left},{y - top}'
                if x + 101 < right and y + 101 < bottom:
                    self.assertEqual(shot.pixel(x, y + 60), BLACK if (row, column) != (1, 1) else WHITE, where)
                    self.assertEqual(shot.pixel(x + 101, y + 60), BLACK if (row, column) != (1, 1) else WHITE, where)
                    self.assertEqual(shot.pixel(x + 102, y + 60), BLACK, where + ' (gap)')
                if x + 60 < right and y + 60 < bottom:
                    self.assertEqual(shot.pixel(x + 60, y + 60), GREY, where)
                    if (row, column) != (1, 1):
                        self.assertEqual(shot.pixel(x + 3, y + 3), GREY, where)
                        self.assertEqual(shot.count(x + 1, y + 1, min(x + 101, right), min(y + 101, bottom), WHITE),
                                         0, where)
        # The selected tile: white frame at the edge, thin black square inside it.
        x, y = left + 10, top + 10
        self.assertEqual(shot.pixel(x + 2, y + 50), WHITE)
        self.assertEqual(shot.pixel(x + 7, y + 50), BLACK)
        self.assertEqual(shot.pixel(x + 50, y + 7), BLACK)
        self.assertEqual(shot.pixel(x + 50, y + 50), GREY)
        self.assertEqual(self.s.close(process), 0)


if __name__ == '__main__':
    main()
