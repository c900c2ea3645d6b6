"""The house's floors: an include points down a floor or sideways, never up, and the rooms'
includes form no circle. Model and shell at the bottom (with the resources' identifiers), then
config and view, then dialogs, then commands, then app. A room is a .cpp and its .h."""
import pathlib
import re
import sys

FLOORS = {'model': 0, 'shell': 0, 'resources': 0, 'config': 1, 'view': 1, 'dialogs': 2, 'commands': 3, 'app': 4}

src = pathlib.Path(sys.argv[1])
upward = []
rooms = {}
for path in sorted(src.glob('*/*.cpp')) + sorted(src.glob('*/*.h')):
    room = f'{path.parent.name}/{path.stem}'
    includes = rooms.setdefault(room, set())
    for number, line in enumerate(path.read_text(encoding='utf-8').splitlines(), 1):
        match = re.match(r'#include "((\w+)/\w+)\.h"', line)
        if not match:
            continue
        if FLOORS[match.group(2)] > FLOORS[path.parent.name]:
            upward.append(f'{path.relative_to(src)}:{number}: {line}')
        if match.group(1) != room:
            includes.add(match.group(1))


# A circle found by a walk along the includes: the rooms on it, in order, or None.
def find_circle():
    state = {}
    for start in sorted(rooms):
        if start in state:
            continue
        trail = [start]
        walks = [iter(sorted(rooms[start]))]
        state[start] = 'open'
        while walks:
            step = next(walks[-1], None)
            if step is None:
                state[trail.pop()] = 'done'
                walks.pop()
            elif state.get(step) == 'open':
                return trail[trail.index(step):] + [step]
            elif step not in state:
                state[step] = 'open'
                trail.append(step)
                walks.append(iter(sorted(rooms.get(step, ()))))
    return None


circle = find_circle()
print('\n'.join(upward) or 'no include runs up a floor')
print('circle: ' + ' -> '.join(circle) if circle else 'no circle among the rooms')
sys.exit(1 if upward or circle else 0)
