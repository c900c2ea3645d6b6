"""A copy of Vantrel.exe run from a download folder that also holds DLLs with system names: none
of them may be loaded, whatever the program does."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import ScenarioTest, main  # noqa: E402

HEADER = '//#v0003 DO NOT CHANGE THIS LINE'
# The libraries Vantrel delay-loads, and those the system's own DLLs load for the grid's
# painting, its tip, a screen reader and the two common dialogs.
PLANTED = ['oleacc', 'oleaut32', 'comdlg32', 'comctl32', 'uxtheme', 'dwmapi', 'propsys']
RED = 0xFF0000


class PlantedDllsTest(ScenarioTest):

    def marks(self):
        return sorted(name for name in os.listdir(self.folder) if name.endswith('.loaded'))

    def answers(self, what, answered):
        """Waits until the feature answered, or a planted DLL was loaded (which never answers)."""
        self.s.wait_for(lambda: self.marks() or answered(), 15, what)
        self.assertEqual(self.marks(), [], what)

    def dialog(self, title):
        return lambda: (lambda d: d is not None and d['visible'] and d['title'] == title)(self.s.window('#32770'))

    def test_dlls_beside_the_program_are_never_loaded(self):
        self.folder = self.s.drive_c('vantrel-download')
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        exe = shutil.copy(self.s.exe, self.folder)
        for name in PLANTED:
            shutil.copy(os.path.join(self.s.build, 'tests', 'planted', name + '.dll'), self.folder)
        with open(os.path.join(self.folder, 'notes.txt'), 'w') as f:
            f.write('notes')
        self.s.write_config([HEADER, '0,0,900,700,0,0,90,1,6,8,1,2',
                             r'1,1,0,255,C:\vantrel-download\notes.txt,Notes'])
        # Windows' order for these names: a DLL found on the search path comes before Wine's own.
        env = dict(self.s.env)
        env['WINEDLLOVERRIDES'] += ';' + ','.join(PLANTED) + '=n,b'

        # The program's folder is the current folder too.
        process, window = self.s.start_and_wait(exe=exe, env=env, cwd=self.folder)
        x, y = self.s.tile_centre(window, 1, 1)

        def icon_drawn():
            shot = self.s.screenshot()
            return shot.pixel(x - 48, y - 48) == RED and shot.count(x - 40, y - 45, x + 40, y + 5, RED) < 80 * 50 - 100
        self.answers('the icon on the red tile', icon_drawn)

        self.s.move_pointer(x, y)
        self.answers('the tip', lambda: (lambda tip: tip and tip['visible'])(self.s.window('tooltips_class32')))

        code, tile = self.s.probe('accessible', '1')
        self.assertEqual((code, tile['name'], tile['value']), (0, 'Notes', r'C:\vantrel-download\notes.txt'))
        self.assertEqual(self.marks(), [], 'a screen reader\'s question')

        self.s.click(*self.s.tile_centre(window, 1, 2))
        self.answers('the Open dialog', self.dialog('Select a PROGRAM or FILE to Add to this Tile'))
        self.s.key('Escape')
        self.s.wait_for(lambda: self.s.window('#32770') is None, 15, 'the Open dialog to close')

        self.s.click(x, y, button=3)
        self.s.wait_window(class_name='#32768')
        self.s.key('Down', 'Down', 'Down', 'Return')
        self.answers('the colour dialog', self.dialog('Color'))
        self.s.key('Escape')
        self.s.wait_for(lambda: self.s.window('#32770') is None, 15, 'the colour dialog to close')
        self.assertEqual(self.s.close(process), 0)
        self.assertEqual(self.marks(), [])


if __name__ == '__main__':
    main()
