#include "shell/SystemDlls.h"

#include <windows.h>

int LoadSystemDll(const wchar_t* name)
{
    if (GetModuleHandleW(name) != NULL)
        return 0;
    // By name, not by the system folder's path: on Windows the loader may redirect a name (the
    // common controls to their side-by-side copy), and a load by path would then bring in a
    // second copy beside the one the program's own import gets.
    return LoadLibraryW(name) != NULL ? 0 : -1;
}
