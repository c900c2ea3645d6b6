// A program for launch tests: each run appends a line holding its command line to
// "<its own path>.ran", so that a test can see that it was started, how, and how often.
#include <windows.h>
#include <wchar.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    wchar_t path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    wcscat_s(path, _countof(path), L".ran");
    // Two runs at once take turns: the file is shared with no one while a line goes in.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 200 && file == INVALID_HANDLE_VALUE; i++) {
        file = CreateFileW(path, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            Sleep(10);
    }
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    WriteFile(file, line, (DWORD)(wcslen(line) * sizeof(wchar_t)), &written, NULL);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, NULL);
    CloseHandle(file);
    return 0;
}
