// The steps of Vantrel's empty start, each timed, in a fresh process: where the start spends
// what a bare window does not, in time and in private memory. Prints one
// "step<TAB>milliseconds<TAB>megabytes" line per step (the memory the step added); the
// start-up benchmark runs it and prints the medians. Mirrors RunVantrel step by step.
//     start_steps.exe
#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <stdio.h>

#include "BenchSupport.h"
#include "app/MainWindow.h"
#include "app/Placement.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "config/ConfigFile.h"
#include "model/TileGrid.h"
#include "view/Scroll.h"

static double mark;
static double memoryMark;

// The process's private memory in MB (Wine gives it only as the page-file usage).
static double PrivateMb(void)
{
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&memory, sizeof(memory)))
        return 0;
    return (memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage) / (1024.0 * 1024.0);
}

static void Step(const char* what)
{
    double now = NowMs();
    double memory = PrivateMb();
    printf("%s\t%.2f\t%.2f\n", what, now - mark, memory - memoryMark);
    mark = now;
    memoryMark = memory;
}

// Milliseconds from the process's creation to now: the loader and the libraries it imports.
static double SinceProcessCreation(void)
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER a = { { created.dwLowDateTime, created.dwHighDateTime } };
    ULARGE_INTEGER b = { { now.dwLowDateTime, now.dwHighDateTime } };
    return (b.QuadPart - a.QuadPart) / 10000.0;
}

int main()
{
    memoryMark = PrivateMb();
    printf("loader and imported libraries\t%.2f\t%.2f\n", SinceProcessCreation(), memoryMark);
    mark = NowMs();
    HINSTANCE instance = GetModuleHandleW(NULL);
    HandOverToRunningInstance();
    Step("single instance: window search and lock");
    SetStartSettings();
    // The first call that needs the display: a bare window pays it as well.
    GetSystemMetrics(SM_CXSCREEN);
    Step("first call into the display (the window system's driver starts)");
    ApplyFirstPlacement();
    Step("first placement");
    LoadConfig();
    Step("configuration read (first run: folder and file made)");
    KeepWindowReachable();
    FormBuildDateText();
    Step("placement checked against the monitors, build date");
    RegisterMainWindowClass(instance);
    Step("window class (icons, brush)");
    CreateMainWindow(instance);
    RecomputeContentSize();
    UpdateScrollRanges();
    Step("window (and its drop target)");
    RegisterStartupHotkey();
    Step("hotkey");
    ShowWindow(MainWindow, SW_SHOWNORMAL);
    RestoreScrollPositions();
    InvalidateRect(MainWindow, NULL, TRUE);
    UpdateWindow(MainWindow);
    Step("shown and painted");
    SaveConfigOrClose(MainWindow);
    Step("first save (written, flushed, renamed)");
    // No save or rotation on the way out.
    SetWindowLongPtrW(MainWindow, GWLP_WNDPROC, (LONG_PTR)DefWindowProcW);
    DestroyWindow(MainWindow);
    fflush(stdout);
    return 0;
}
