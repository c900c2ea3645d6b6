// The distinct files that the benchmarks use as tile targets: one per tile, with a mix of
// extensions, so that no shell cache stands in for a real look-up.
#pragma once
#include <windows.h>
#include <wchar.h>

inline void BenchTargetPath(const wchar_t* folder, int row, int column, wchar_t* out, size_t capacity)
{
    static const wchar_t* const extensions[] = { L"txt", L"bmp", L"html", L"ini", L"log", L"cmd", L"zip", L"csv" };
    swprintf_s(out, capacity, L"%ls\\tile-%02d-%03d.%ls", folder, row, column, extensions[(row * 7 + column) % 8]);
}

// Creates the 5,000 files once; later calls find them there.
inline void MakeBenchTargets(const wchar_t* folder)
{
    CreateDirectoryW(folder, NULL);
    for (int row = 1; row <= 50; row++) {
        for (int column = 1; column <= 100; column++) {
            wchar_t path[MAX_PATH];
            BenchTargetPath(folder, row, column, path, MAX_PATH);
            if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
                continue;
            HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
            CloseHandle(file);
        }
    }
}
