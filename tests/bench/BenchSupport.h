// Timing for the benchmark programs: wall-clock milliseconds from the performance counter.
#pragma once
#include <windows.h>

#include <stdio.h>

inline double NowMs()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

// Runs body repeatedly and prints the mean time of one run and the fastest.
template <typename Body>
double Measure(const char* what, int runs, Body body)
{
    double total = 0;
    double best = 1e30;
    for (int i = 0; i < runs; i++) {
        double start = NowMs();
        body();
        double elapsed = NowMs() - start;
        total += elapsed;
        if (elapsed < best)
            best = elapsed;
    }
    printf("%-58s mean %9.3f ms   best %9.3f ms   (%d runs)\n", what, total / runs, best, runs);
    fflush(stdout);
    return total / runs;
}

// A folder of its own under %TEMP%, for files the benchmark creates.
inline void MakeBenchFolder(wchar_t* folder, size_t capacity, const wchar_t* stem)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    swprintf_s(folder, capacity, L"%lsvantrel-bench-%ls-%lu", temp, stem, GetCurrentProcessId());
    CreateDirectoryW(folder, NULL);
}
