#include "app/DllSearch.h"

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD flags);

int RestrictDllSearch(void)
{
    // Looked up, not imported: an import that Windows 7 without the update lacks would keep
    // the program from starting there at all. kernel32 is always loaded: nothing is searched.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC found = kernel != NULL ? GetProcAddress(kernel, "SetDefaultDllDirectories") : NULL;
    if (found != NULL) {
        SetDefaultDllDirectoriesFunction setDefault =
            reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)(void)>(found));
        if (setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
            return 0;
    }
    return SetDllDirectoryW(L"") ? -1 : -2;
}
