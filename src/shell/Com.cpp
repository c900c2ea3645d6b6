#include "shell/Com.h"

#include <objbase.h>

void EnsureComInitialized(void)
{
    static bool initialized;
    if (initialized)
        return;
    initialized = true;
    // The result is not used, as at start-up before: the program never uninitialises COM.
    CoInitialize(NULL);
}
