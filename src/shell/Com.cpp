#include "shell/Com.h"

#include <objbase.h>

#include "shell/SystemDlls.h"

void EnsureComInitialized(void)
{
    static bool initialized;
    if (initialized)
        return;
    initialized = true;
    // The result is not used, as at start-up before: the program never uninitialises COM.
    CoInitialize(NULL);
    // The shell's icon and name look-ups take the image lists from comctl32, which the shell
    // would load itself.
    LoadSystemDll(L"comctl32.dll");
}
