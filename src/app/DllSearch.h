// Where the process looks for a DLL that is loaded by name.
#pragma once
#include <windows.h>

// Takes the program's own folder and the current folder out of the search for DLLs loaded by
// name, so that a DLL with a system name lying beside the program (a download folder) never
// runs in it: the delay-loaded libraries and whatever the system's own DLLs load later come
// from the system folder only. Returns 0 when the search is limited to the system folder, -1
// on a Windows without SetDefaultDllDirectories (Windows 7 without KB2533623), where only the
// current folder could be taken out, and -2 when neither call succeeded.
int RestrictDllSearch(void);
