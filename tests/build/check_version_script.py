"""cmake/BuildVersion.cmake on the answers git may give and the SOURCE_DATE_EPOCH a release sets.
    check_version_script.py <cmake> <BuildVersion.cmake>"""
import os
import subprocess
import sys
import tempfile

# git's answer, SOURCE_DATE_EPOCH, and the headers' lines (None: the build must stop)
CASES = [
    ('v1.0.0-0-gabc1234', None, 'BINARY 1, 0, 0, 0\n#define VANTREL_VERSION_TEXT "1.0.0"', ''),
    ('v1.0.0-12-gabc1234', '1724007719', 'BINARY 1, 0, 0, 12\n#define VANTREL_VERSION_TEXT "1.0.0-12-gabc1234"',
     'DATE "Aug 18 2024"\n#define VANTREL_BUILD_TIME "19:01:59"'),
    ('gabc1234', '1723100709', 'TEXT "1.0.0-gabc1234"', 'DATE "Aug  8 2024"\n#define VANTREL_BUILD_TIME "07:05:09"'),
    ('none', '0', 'BINARY 1, 0, 0, 0\n#define VANTREL_VERSION_TEXT "1.0.0"', 'DATE "Jan  1 1970"'),
    ('v1.0.0-70000-gabc1234', None, 'BINARY 1, 0, 0, 65535', ''),
    ('v0.9.0-3-gabc1234', None, None, None),
    ('v1.0.0-3-gabc1234-dirty', None, None, None),
    ('none', '2024-08-18', None, None),
]
failures = []
with tempfile.TemporaryDirectory() as folder:
    for describe, epoch, version, date in CASES:
        environment = {key: value for key, value in os.environ.items() if key != 'SOURCE_DATE_EPOCH'}
        environment.update({'SOURCE_DATE_EPOCH': epoch} if epoch is not None else {})
        status = subprocess.run([sys.argv[1], '-DVERSION=1.0.0', f'-DDESCRIBE={describe}', f'-DOUTPUT_DIR={folder}',
                                 '-P', sys.argv[2]], env=environment, capture_output=True).returncode
        if (status == 0) != (version is not None):
            failures.append(f'{describe}, {epoch}: {"refused" if status else "accepted"}')
            continue
        for name, prefix, lines in (('BuildVersion.h', 'VANTREL_VERSION_', version), ('BuildDate.h', 'VANTREL_BUILD_', date)):
            with open(os.path.join(folder, name)) as file:
                text = file.read()
            if lines is not None and (f'#define {prefix}{lines}\n' not in text if lines else prefix in text):
                failures.append(f'{describe}, {epoch}: {name} is\n{text}')
print('\n'.join(failures) or f'ok      {len(CASES)} cases')
sys.exit(1 if failures else 0)
