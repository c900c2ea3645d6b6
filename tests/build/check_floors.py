"""The house's floors: an include points down a floor or sideways, never up. Model and shell
at the bottom (with the resources' identifiers), then config and view, then dialogs, then
commands, then app."""
import pathlib
import re
import sys

FLOORS = {'model': 0, 'shell': 0, 'resources': 0, 'config': 1, 'view': 1, 'dialogs': 2, 'commands': 3, 'app': 4}

src = pathlib.Path(sys.argv[1])
upward = []
for path in sorted(src.glob('*/*.cpp')) + sorted(src.glob('*/*.h')):
    for number, line in enumerate(path.read_text(encoding='utf-8').splitlines(), 1):
        match = re.match(r'#include "(\w+)/', line)
        if match and FLOORS[match.group(1)] > FLOORS[path.parent.name]:
            upward.append(f'{path.relative_to(src)}:{number}: {line}')
print('\n'.join(upward) or 'no include runs up a floor')
sys.exit(1 if upward else 0)
