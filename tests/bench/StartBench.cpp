// Start-up of the real Vantrel.exe next to its floor, bare_window.exe, run alternately:
// the time from CreateProcess to the first complete picture (the white of the first
// tile's frame on the screen) and to the first answered input (a sent WM_NULL), and the
// private memory after start-up. Prints rows of the benchmark table.
//     startup_bench.exe <Vantrel.exe> <bare_window.exe> [runs]
#include <windows.h>
#include <knownfolders.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "BenchTargets.h"

struct StartResult {
    double picture = 0;   // ms
    double input = 0;     // ms
    double privateMb = 0;
    RECT rect = {};
};

static std::wstring LocalAppData()
{
    PWSTR folder = NULL;
    SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, NULL, &folder);
    std::wstring path = folder;
    CoTaskMemFree(folder);
    return path;
}

static void RemoveTree(const std::wstring& folder)
{
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

static StartResult Start(const std::wstring& commandLine, const wchar_t* className)
{
    StartResult result;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    double start = NowMs();
    if (!CreateProcessW(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        printf("cannot start %ls\n", commandLine.c_str());
        exit(1);
    }
    HDC screen = GetDC(NULL);
    HWND window = NULL;
    for (;;) {
        if (window == NULL)
            window = FindWindowW(className, NULL);
        if (window != NULL && IsWindowVisible(window)) {
            POINT origin = { 12, 60 };
            ClientToScreen(window, &origin);
            if (GetPixel(screen, origin.x, origin.y) == 0xFFFFFF)
                break;
        }
        if (NowMs() - start > 120000) {
            printf("no picture from %ls\n", commandLine.c_str());
            exit(1);
        }
        Sleep(0);
    }
    result.picture = NowMs() - start;
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &answer);
    result.input = NowMs() - start;
    ReleaseDC(NULL, screen);

    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    // Wine reports the private bytes only as the page-file usage; Windows gives both.
    if (GetProcessMemoryInfo(process.hProcess, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof(memory)))
        result.privateMb = (memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage) / (1024.0 * 1024.0);
    GetWindowRect(window, &result.rect);
    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

static double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

static void Row(const char* what, double vantrel, double floor, const char* unit, const char* goal, bool difference = false)
{
    if (difference)
        printf("| %s | %.1f %s | %.1f %s | +%.1f %s | %s |\n", what, vantrel, unit, floor, unit, vantrel - floor, unit, goal);
    else
        printf("| %s | %.1f %s | %.1f %s | %.2fx | %s |\n", what, vantrel, unit, floor, unit, vantrel / floor, goal);
    fflush(stdout);
}

static void WriteConfig(const std::wstring& path, const std::wstring& folder)
{
    std::wstring text = L"\xFEFF//#v0003 DO NOT CHANGE THIS LINE\r\n0,0,859,676,0,0,90,1,50,100,1,1\r\n";
    wchar_t line[600];
    for (int row = 1; row <= 50; row++) {
        for (int column = 1; column <= 100; column++) {
            wchar_t target[MAX_PATH];
            BenchTargetPath(folder.c_str(), row, column, target, MAX_PATH);
            swprintf_s(line, 600, L"%d,%d,0,%d,%ls,Tile %d %d\r\n", row, column, 0x323232 + row * 3 + column, target, row,
                       column);
            text += line;
        }
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)(text.size() * sizeof(wchar_t)), &written, NULL);
    CloseHandle(file);
}

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 1;
    std::wstring vantrel = std::wstring(L"\"") + argv[1] + L"\"";
    std::wstring floorExe = std::wstring(L"\"") + argv[2] + L"\"";
    int runs = argc > 3 ? _wtoi(argv[3]) : 7;
    std::wstring config = LocalAppData() + L"\\Morrowtide";
    std::wstring targets = L"C:\\vantrel-bench-targets";
    MakeBenchTargets(targets.c_str());

    std::vector<double> vantrelPicture, floorPicture, vantrelEmpty, floorEmpty;
    for (int i = 0; i < runs; i++) {
        RemoveTree(config);
        StartResult v = Start(vantrel, L"Vantrel");
        wchar_t size[64];
        swprintf_s(size, 64, L" %ld %ld", v.rect.right - v.rect.left, v.rect.bottom - v.rect.top);
        StartResult f = Start(floorExe + size, L"VantrelBenchFloor");
        vantrelPicture.push_back(v.picture);
        floorPicture.push_back(f.picture);
        vantrelEmpty.push_back(v.privateMb);
        floorEmpty.push_back(f.privateMb);
    }
    Row("start to first complete picture, no file", Median(vantrelPicture), Median(floorPicture), "ms", "<= 1.10x");
    Row("private memory after start-up, no file", Median(vantrelEmpty), Median(floorEmpty), "MB", "-", true);

    std::vector<double> vPicture, fPicture, vInput, fInput, vMemory, fMemory;
    for (int i = 0; i < runs; i++) {
        RemoveTree(config);
        CreateDirectoryW(config.c_str(), NULL);
        WriteConfig(config + L"\\Vantrel.cfg", targets);
        StartResult v = Start(vantrel, L"Vantrel");
        StartResult f = Start(floorExe + L" 859 676 " + targets + L" 50 100", L"VantrelBenchFloor");
        vPicture.push_back(v.picture);
        fPicture.push_back(f.picture);
        vInput.push_back(v.input);
        fInput.push_back(f.input);
        vMemory.push_back(v.privateMb);
        fMemory.push_back(f.privateMb);
    }
    Row("start to first complete picture, 5,000 tiles (50 x 100), distinct targets", Median(vPicture), Median(fPicture),
        "ms", "<= 1.15x");
    Row("start to first answered input, 5,000 tiles (50 x 100), distinct targets", Median(vInput), Median(fInput), "ms",
        "<= 1.15x");
    Row("private memory after start-up, 5,000 tiles", Median(vMemory), Median(fMemory), "MB", "<= floor + 8 MB", true);
    RemoveTree(config);
    return 0;
}
