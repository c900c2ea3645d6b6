"""Vantrel.exe must carry the project's version, as Windows' file properties show it: the fixed
file and product versions, and the FileVersion and ProductVersion texts ("1.0.0", or between
releases "1.0.0-12-gabcdef0", whose 12 is the fourth fixed field). Reads the resources straight
from the file, without Windows.
    check_version.py <project version> <Vantrel.exe>"""
import re
import struct
import sys

RT_VERSION = 16


def resource_bytes(image, type_id):
    """The first resource of the type, found through the PE headers' resource directory."""
    pe = struct.unpack_from('<I', image, 0x3C)[0]
    if image[pe:pe + 4] != b'PE\0\0':
        sys.exit('not a PE file')
    sections, optional_size = struct.unpack_from('<H12xH', image, pe + 6)
    optional = pe + 24
    directories = optional + (112 if struct.unpack_from('<H', image, optional)[0] == 0x20B else 96)
    root_rva = struct.unpack_from('<I', image, directories + 2 * 8)[0]
    table = [struct.unpack_from('<8xIIII', image, optional + optional_size + 40 * i) for i in range(sections)]

    def offset(rva):
        for size, address, raw_size, raw in table:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        sys.exit(f'address {rva:#x} lies in no section')

    if root_rva == 0:
        sys.exit('no resources')
    root = offset(root_rva)

    def entries(directory):
        named, numbered = struct.unpack_from('<12xHH', image, root + directory)
        return [struct.unpack_from('<II', image, root + directory + 16 + 8 * i) for i in range(named + numbered)]

    level = [entry for entry in entries(0) if entry[0] == type_id]
    if not level:
        sys.exit('no VERSIONINFO resource')
    target = level[0][1]
    while target & 0x80000000:  # a directory: take its first entry (the first name, then language)
        target = entries(target & 0x7FFFFFFF)[0][1]
    rva, size = struct.unpack_from('<II', image, root + target)
    return image[offset(rva):offset(rva) + size]


def version_node(block, at=0):
    """(key, value bytes, children) of one node of the version block."""
    length, value_length, kind = struct.unpack_from('<HHH', block, at)
    end = block.index(b'\0\0', at + 6)
    while (end - at - 6) % 2:
        end = block.index(b'\0\0', end + 1)
    key = block[at + 6:end].decode('utf-16-le')
    value_at = (end + 2 + 3) & ~3
    value_size = value_length * 2 if kind == 1 else value_length
    value = block[value_at:value_at + value_size]
    children, child = [], (value_at + value_size + 3) & ~3
    while child < at + length:
        children.append(version_node(block, child))
        child = (child + struct.unpack_from('<H', block, child)[0] + 3) & ~3
    return key, value, children


def main():
    version, exe = sys.argv[1], sys.argv[2]
    with open(exe, 'rb') as file:
        key, fixed, children = version_node(resource_bytes(file.read(), RT_VERSION))
    failures = []
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from('<6I', fixed)
    if key != 'VS_VERSION_INFO' or signature != 0xFEEF04BD:
        sys.exit(f'no fixed version information (key {key!r}, signature {signature:#x})')
    texts = {}
    for name, _, tables in children:
        for _, _, strings in (tables if name == 'StringFileInfo' else []):
            for string_key, value, _ in strings:
                texts[string_key] = value.decode('utf-16-le').split('\0')[0]
    pattern = re.escape(version) + r'(?:-(\d+)-g[0-9a-f]{7,}|-g[0-9a-f]{7,})?'
    for field, ms, ls in (('FileVersion', file_ms, file_ls), ('ProductVersion', product_ms, product_ls)):
        numbers = f'{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}'
        text = texts.get(field)
        print(f'{field}: fixed {numbers}, text {text!r}')
        match = re.fullmatch(pattern, text or '')
        if not match:
            failures.append(f'{field} text {text!r} is not version {version}')
        elif numbers != f'{version}.{match.group(1) or 0}':
            failures.append(f'fixed {field} {numbers} is not {version} with {match.group(1) or 0} commits')
    print('\n'.join(failures) or f'ok      version {version}')
    sys.exit(1 if failures else 0)


main()
