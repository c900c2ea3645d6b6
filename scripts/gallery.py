"""Takes the pictures of the README's gallery: the main window with filled tiles, a tile being
carried, the context menu and every dialog, each opened with the keyboard as a user would, and the
find bar. Run it through scripts/gallery.sh."""
import os
import shutil
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, 'tests', 'support'))
from vantrel_scenario import Session  # noqa: E402

TILES = [
    r'1,1,2,3289650,C:\windows\notepad.exe,Notepad',
    r'1,2,1,8404992,C:\windows,Windows',
    r'1,3,0,3050327,C:\vantrel-gallery\Notes.txt,Notes',
    r'1,4,2,1644912,C:\windows\regedit.exe,Registry    Editor',
    r'2,1,0,12632256,C:\vantrel-gallery\Budget 2026.csv,Budget 2026',
    r'2,2,0,3289650,https://example.org,Example',
    r'2,3,2,6697779,C:\windows\system32\winecfg.exe,Settings',
    r'3,2,1,3289650,C:\vantrel-gallery,Gallery',
]
# (picture, keys from the first tile, menu steps down, dialog caption)
NOTES = ['Right', 'Right']   # tile (1, 3), a document
DIALOGS = [
    ('tile-name', NOTES, 2, 'Tile Settings - Tile Name'),
    ('tile-info', NOTES, 4, 'Show Tile Info'),
    ('grid-size', NOTES, 5, 'Program Settings - Rows and Columns'),
    ('hotkey', NOTES, 6, 'Program Settings - Hotkey'),
    ('about', NOTES, 9, 'About Vantrel'),
    ('help', NOTES, 10, 'Help'),
    ('target-entry', ['Down', 'Down', 'Down'], 2, 'Tile Settings - Enter Path, URL, or Shell Shortcut'),
]


# Two closed states in the backups: yesterday's held two tiles deleted since.
EARLIER = [
    ('Vantrel_Bkup000.cfg', 26 * 3600, TILES + [r'3,3,2,3289650,C:\windows\system32\calc.exe,Calculator',
                                               r'3,4,0,8404992,C:\vantrel-gallery\Plans.txt,Plans']),
    ('Vantrel_Bkup001-.cfg', 3600, TILES),
]


def write_earlier_states(s):
    os.makedirs(s.backup_dir, exist_ok=True)
    for name, age, tiles in EARLIER:
        path = os.path.join(s.backup_dir, name)
        lines = ['//#v0003 DO NOT CHANGE THIS LINE', '0,0,640,520,0,0,90,1,6,8,1,1'] + tiles
        text = ''.join(line + '\r\n' for line in lines)
        with open(path, 'wb') as f:
            f.write(b'\xff\xfe' + text.encode('utf-16-le'))
        when = time.time() - age
        os.utime(path, (when, when))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'docs')
    os.makedirs(out, exist_ok=True)
    s = Session()
    s.stop_all()
    s.reset_config()
    files = s.drive_c('vantrel-gallery')
    shutil.rmtree(files, ignore_errors=True)
    os.makedirs(files)
    for name in ('Notes.txt', 'Budget 2026.csv'):
        open(os.path.join(files, name), 'w').close()
    s.write_config(['//#v0003 DO NOT CHANGE THIS LINE', '0,0,640,520,0,0,90,1,6,8,1,1'] + TILES)
    write_earlier_states(s)
    process, window = s.start_and_wait()
    time.sleep(2)   # the icons of the first paint
    s.screenshot().save_png(os.path.join(out, 'main-window.png'), window['rect'])

    # A tile carried with Ctrl held: its picture follows the pointer, the landing tile is marked.
    x, y = s.tile_centre(window, 1, 1)
    to_x, to_y = s.tile_centre(window, 2, 4)
    s.move_pointer(x, y)
    s.xdotool('keydown', 'ctrl', 'mousedown', '1')
    for step in range(1, 8):
        s.xdotool('mousemove', '--sync', str(x + (to_x - x) * step // 9), str(y + (to_y - y) * step // 9))
    time.sleep(0.5)
    s.screenshot().save_png(os.path.join(out, 'carrying.png'), window['rect'])
    s.xdotool('keyup', 'ctrl')
    s.key('Escape')   # called off: nothing moves
    s.xdotool('mouseup', '1')
    s.park_pointer(window)

    s.key('Right', 'Right', 'space')
    menu = s.wait_window(class_name='#32768')
    time.sleep(0.5)
    rect = window['rect']
    union = (rect[0], rect[1], max(rect[2], menu['rect'][2]), max(rect[3], menu['rect'][3]))
    s.screenshot().save_png(os.path.join(out, 'context-menu.png'), union)
    s.key('Escape')
    s.wait_for(lambda: s.window('#32768') is None, 15, 'the menu to close')

    for picture, keys, steps, caption in DIALOGS:
        s.key('Home', *keys, 'space')
        s.wait_window(class_name='#32768')
        s.key(*(['Down'] * steps), 'Return')
        dialog = s.wait_window(class_name='#32770', condition=lambda w: w['visible'] and w['title'] == caption)
        time.sleep(0.5)
        s.screenshot().save_png(os.path.join(out, picture + '.png'), dialog['rect'])
        s.key('Escape')
        s.wait_for(lambda: s.window('#32770') is None, 15, f'{caption} to close')
        print(f'{picture}: {caption}')

    # Earlier Tiles: yesterday's state chosen, its two deleted tiles listed to be restored.
    s.key('Home', *NOTES, 'space')
    s.wait_window(class_name='#32768')
    s.key(*(['Down'] * 8), 'Return')
    dialog = s.wait_window(class_name='#32770', condition=lambda w: w['visible'] and w['title'] == 'Earlier Tiles')
    s.key('Down')
    time.sleep(0.5)
    s.screenshot().save_png(os.path.join(out, 'earlier-tiles.png'), dialog['rect'])
    s.key('Escape')
    s.wait_for(lambda: s.window('#32770') is None, 15, 'Earlier Tiles to close')
    print('earlier-tiles: Earlier Tiles')

    # The find bar: a part of a target, the second of its four matches selected.
    s.key('Home', 'ctrl+f')
    s.xdotool('type', '--delay', '60', 'windows')
    s.key('Down')
    time.sleep(1)
    s.screenshot().save_png(os.path.join(out, 'find-bar.png'), window['rect'])
    s.key('Escape')
    s.close(process)
    s.reset_config()
    shutil.rmtree(files, ignore_errors=True)


if __name__ == '__main__':
    main()
