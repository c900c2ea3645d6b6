"""Vantrel.exe must carry the project's version as Windows' file properties show it: the fixed
file and product versions and the FileVersion and ProductVersion texts ("1.0.0", or between
releases "1.0.0-12-gabcdef0", whose 12 is the fixed versions' fourth field).
    check_version.py <project version> <Vantrel.exe>"""
import re
import struct
import sys


def node(block, at):
    """(key, value bytes, children) of the version block's node at the offset."""
    length, value_length, kind = struct.unpack_from('<HHH', block, at)
    end = at + 6
    while block[end:end + 2] != b'\0\0':
        end += 2
    value_at = (end + 5) & ~3
    value_end = value_at + (value_length * 2 if kind == 1 else value_length)
    children, child = [], (value_end + 3) & ~3
    while child < at + length:
        children.append(node(block, child))
        child = (child + struct.unpack_from('<H', block, child)[0] + 3) & ~3
    return block[at + 6:end].decode('utf-16-le'), block[value_at:value_end], children


version, exe = sys.argv[1:3]
with open(exe, 'rb') as file:
    image = file.read()
# Found by its key: the resources lie in the file as the linker placed them, without Windows.
at = image.find('VS_VERSION_INFO'.encode('utf-16-le')) - 6
if at < 0:
    sys.exit('no VERSIONINFO')
key, fixed, children = node(image[at:at + struct.unpack_from('<H', image, at)[0]], 0)
signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from('<6I', fixed)
if signature != 0xFEEF04BD:
    sys.exit(f'no fixed version information (signature {signature:#x})')
texts = {name: value.decode('utf-16-le').split('\0')[0]
         for block, _, tables in children if block == 'StringFileInfo'
         for _, _, strings in tables for name, value, _ in strings}
pattern = re.escape(version) + r'(?:-(\d+)-g[0-9a-f]{7,}|-g[0-9a-f]{7,})?'
failures = []
for field, ms, ls in (('FileVersion', file_ms, file_ls), ('ProductVersion', product_ms, product_ls)):
    numbers = f'{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}'
    text = texts.get(field, '')
    print(f'{field}: fixed {numbers}, text {text!r}')
    match = re.fullmatch(pattern, text)
    if not match:
        failures.append(f'{field} text {text!r} is not version {version}')
    elif numbers != f'{version}.{match.group(1) or 0}':
        failures.append(f'fixed {field} {numbers} is not {version} with {match.group(1) or 0} commits')
print('\n'.join(failures) or f'ok      version {version}')
sys.exit(1 if failures else 0)
