"""cmake/BuildVersion.cmake as each build runs it, on the answers git may give and the
SOURCE_DATE_EPOCH a release sets: the version texts, the date in the form of __DATE__ and
__TIME__, the refusals, and no rewrite of a header that did not change.
    check_version_script.py <cmake> <BuildVersion.cmake>"""
import os
import subprocess
import sys
import tempfile

cmake, script = sys.argv[1], sys.argv[2]
# git's answer, SOURCE_DATE_EPOCH, the fixed version and its text (None: the build stops), the date and time
CASES = [
    ('v1.0.0-0-gabc1234', None, '1, 0, 0, 0', '1.0.0', None),
    ('v1.0.0-12-gabc1234', '1724007719', '1, 0, 0, 12', '1.0.0-12-gabc1234', ('Aug 18 2024', '19:01:59')),
    ('gabc1234', '1723100709', '1, 0, 0, 0', '1.0.0-gabc1234', ('Aug  8 2024', '07:05:09')),
    ('none', '0', '1, 0, 0, 0', '1.0.0', ('Jan  1 1970', '00:00:00')),
    ('v1.0.0-70000-gabc1234', None, '1, 0, 0, 65535', '1.0.0-70000-gabc1234', None),
    ('v0.9.0-3-gabc1234', None, None, None, None),  # the tag of another version
    ('v1.0.0-3-gabc1234-dirty', None, None, None, None),
    ('none', '2024-08-18', None, None, None),
    ('none', '', None, None, None),
]

failures = []
with tempfile.TemporaryDirectory() as folder:
    def run(describe, epoch):
        environment = {key: value for key, value in os.environ.items() if key != 'SOURCE_DATE_EPOCH'}
        if epoch is not None:
            environment['SOURCE_DATE_EPOCH'] = epoch
        return subprocess.run([cmake, '-DVERSION=1.0.0', f'-DDESCRIBE={describe}', f'-DOUTPUT_DIR={folder}',
                               '-P', script], env=environment, capture_output=True, text=True).returncode

    def header(name):
        with open(os.path.join(folder, name)) as file:
            return file.read()

    for describe, epoch, binary, text, moment in CASES:
        case = f'{describe} with SOURCE_DATE_EPOCH {epoch!r}'
        if (run(describe, epoch) == 0) != (binary is not None):
            failures.append(f'{case}: {"refused" if binary else "accepted"}')
            continue
        if binary is None:
            continue
        version = f'#define VANTREL_VERSION_BINARY {binary}\n#define VANTREL_VERSION_TEXT "{text}"\n'
        if version not in header('BuildVersion.h'):
            failures.append(f'{case}: BuildVersion.h is\n{header("BuildVersion.h")}')
        date = header('BuildDate.h')
        if moment and f'#define VANTREL_BUILD_DATE "{moment[0]}"\n#define VANTREL_BUILD_TIME "{moment[1]}"\n' not in date \
                or not moment and 'VANTREL_BUILD' in date:
            failures.append(f'{case}: BuildDate.h is\n{date}')

    # A build with nothing new leaves the headers alone, or every build compiles the resources again.
    names = [os.path.join(folder, name) for name in ('BuildVersion.h', 'BuildDate.h')]
    run('gabc1234', '0')
    for name in names:
        os.utime(name, ns=(1, 1))
    run('gabc1234', '0')
    if [os.stat(name).st_mtime_ns for name in names] != [1, 1]:
        failures.append('a build with the same version and date wrote the headers again')

print('\n'.join(failures) or f'ok      {len(CASES)} cases and an unchanged build')
sys.exit(1 if failures else 0)
