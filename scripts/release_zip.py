"""Packs a release's archive: Vantrel.exe, README.txt (docs/windows-readme.txt with the version and
Windows' line ends) and LICENSE. Every build of one commit must give the same bytes, so the
members go in name order, each dated at the commit (SOURCE_DATE_EPOCH), with fixed attributes
and none taken from the disk.
    release_zip.py <archive> <version> <Vantrel.exe> <source tree>"""
import os
import sys
import time
import zipfile

archive, version, exe, tree = sys.argv[1:5]
# A zip holds local times from 1980 on and no zone: the commit's time in UTC.
stamp = max(time.gmtime(int(os.environ['SOURCE_DATE_EPOCH']))[:6], (1980, 1, 1, 0, 0, 0))


def windows_text(name, **fields):
    """The text file with its fields filled in and CR LF line ends, for Notepad before Windows 10."""
    with open(os.path.join(tree, name), encoding='ascii') as file:
        text = file.read()
    for field, value in fields.items():
        text = text.replace(f'@{field}@', value)
    return text.replace('\r\n', '\n').replace('\n', '\r\n').encode('ascii')


with open(exe, 'rb') as file:
    members = {
        'Vantrel.exe': file.read(),
        'README.txt': windows_text('docs/windows-readme.txt', VERSION=version),
        'LICENSE': windows_text('LICENSE'),
    }
with zipfile.ZipFile(archive, 'w') as zip_file:
    for name in sorted(members):
        info = zipfile.ZipInfo(name, stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0  # made "on Windows": no Unix permissions
        info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE, as Windows' own archives mark files
        zip_file.writestr(info, members[name], compresslevel=9)
