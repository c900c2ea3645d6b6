"""How long the real Vantrel.exe takes from its start to a shown window, and to the end of
start-up (the configuration written after the first paint), for an empty configuration
and for 5,000 tiles. Runs in the test prefix, like the scenarios:
    VANTREL_BUILD_DIR=build python3 tests/bench/startup_bench.py
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from vantrel_scenario import Session  # noqa: E402

EXTENSIONS = ['txt', 'exe', 'bmp', 'html', 'ini', 'log', 'cmd', 'zip', 'dll', 'png']


def measure(session, label):
    before = os.stat(session.config_path).st_mtime_ns if os.path.exists(session.config_path) else 0
    start = time.monotonic()
    process = session.start()
    session.wait_window()
    shown = time.monotonic() - start
    session.wait_for(lambda: os.path.exists(session.config_path) and len(session.config_bytes()) > 2
                     and os.stat(session.config_path).st_mtime_ns != before, 300, 'the end of start-up')
    finished = time.monotonic() - start
    session.close(process)
    print(f'{label:40} window shown after {shown:6.2f} s, start-up done after {finished:6.2f} s')


def main():
    session = Session()
    session.stop_all()
    session.reset_config()
    measure(session, 'no configuration file')

    files = os.path.join(session.prefix, 'drive_c', 'vantrel-bench-files')
    os.makedirs(files, exist_ok=True)
    for i in range(50):
        open(os.path.join(files, f'file{i}.{EXTENSIONS[i % 10]}'), 'w').close()
    tiles = [f'{r},{c},0,3289650,C:\\vantrel-bench-files\\file{(r * c) % 50}.{EXTENSIONS[(r * c) % 10]},Tile {r} {c}'
             for r in range(1, 51) for c in range(1, 101)]
    for rows, columns in ((6, 8), (50, 100)):
        session.write_config(['//#v0003 DO NOT CHANGE THIS LINE', f'-10,0,859,646,0,0,90,1,{rows},{columns},1,1']
                             + tiles)
        measure(session, f'5,000 tiles, grid in use {rows} x {columns}')
    session.stop_all()
    session.reset_config()


if __name__ == '__main__':
    main()
