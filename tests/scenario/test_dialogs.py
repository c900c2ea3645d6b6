"""The dialogs of the real Vantrel.exe, opened from the context menu with the keyboard."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, main  # noqa: E402

BLACK = 0x000000
GREY = 0x323232


class DialogsTest(ScenarioTest):

    def test_grid_size_from_the_keyboard_changes_the_grid_on_screen_and_in_the_file(self):
        process, window = self.s.start_and_wait()
        # Space opens the menu of the selected (empty) tile; its third item is the grid size.
        self.s.key('space')
        self.s.wait_for(lambda: (self.s.window('#32768') or {}).get('visible'), 15, 'the context menu')
        self.s.key('Down', 'Down', 'Down', 'Return')
        dialog = self.s.wait_window(class_name='#32770')
        self.assertEqual(dialog['title'], 'Program Settings - Rows and Columns')
        # The caret stands after the rows; Tab selects all of the columns.
        self.s.key('BackSpace', '3', 'Tab', '4', 'Return')
        self.s.wait_for(lambda: self.s.window('#32770') is None, 15, 'the dialog to close')
        self.s.wait_for(lambda: self.s.config_lines()[1].split(',')[8:10] == ['3', '4'], 15, 'the new size saved')

        x, y = self.s.tile_centre(window, 3, 4)
        def new_grid(shot):
            return (shot.pixel(x, y) == GREY and shot.pixel(x + 103, y) == BLACK and
                    shot.pixel(x, y + 103) == BLACK)
        self.s.wait_for(lambda: new_grid(self.s.screenshot()), 15, 'a 3 x 4 grid on screen')
        self.s.screenshot('grid-3x4')
        self.assertEqual(self.s.close(process), 0)
        self.assertEqual(self.s.config_lines()[1].split(',')[8:], ['3', '4', '1', '1'])


if __name__ == '__main__':
    main()
