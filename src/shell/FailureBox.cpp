#include "shell/FailureBox.h"

#include <windows.h>
#include <strsafe.h>
#include <wchar.h>

#include "model/TileGrid.h"

void ReportLastError(const wchar_t* callerText)
{
    ReportLastErrorTo(MainWindow, callerText);
}

void ReportLastErrorTo(HWND owner, const wchar_t* callerText)
{
    DWORD code = GetLastError();

    wchar_t* systemText = NULL;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   NULL, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPWSTR)&systemText, 0, NULL);
    const wchar_t* shownSystemText = systemText ? systemText : L"";

    // The fixed part of the format and the longest number need at most 32 characters.
    size_t length = wcslen(callerText) + wcslen(shownSystemText) + 40;
    wchar_t* message = (wchar_t*)LocalAlloc(LMEM_ZEROINIT, length * sizeof(wchar_t));
    if (message != NULL) {
        size_t capacity = LocalSize(message) / sizeof(wchar_t);
        StringCchPrintfW(message, capacity, L"%ls failed with error %d: %ls", callerText, (int)code, shownSystemText);
    }

    MessageBoxW(owner, message ? message : L"", L"Vantrel Error", MB_OK);

    if (systemText != NULL)
        LocalFree(systemText);
    if (message != NULL)
        LocalFree(message);
}
