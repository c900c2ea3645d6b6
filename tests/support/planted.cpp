// A stand-in for a system DLL, planted beside a copy of Vantrel.exe by the planted-DLL
// scenario under the system DLL's name. Loading it runs nothing but this: it leaves an empty
// file "<its own path>.loaded", so that the scenario sees which of them were loaded.
#include <windows.h>
#include <wchar.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t mark[MAX_PATH + 8];
    DWORD length = GetModuleFileNameW(instance, mark, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return TRUE;
    wcscat_s(mark, _countof(mark), L".loaded");
    HANDLE file = CreateFileW(mark, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}
