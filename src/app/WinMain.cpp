#include <windows.h>

#include "app/DllSearch.h"
#include "app/Startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // First of all: none of the program's code runs before this line (it has no static
    // constructors, and the C runtime's start loads no DLL), and what the loader maps before
    // it, the static imports, are Windows' known DLLs. Where the search cannot be restricted,
    // the program runs on as before.
    RestrictDllSearch();
    return RunVantrel(instance, showCommand);
}
