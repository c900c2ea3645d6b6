// System DLLs that the program asks for before the shell does.
#pragma once

// Loads a system DLL by name and keeps it, unless it is loaded already. Called once the
// search is restricted to the system folder, before a shell call that would otherwise load
// the DLL itself on a path the restriction does not reach (Wine's shell DLLs resolve their
// own delay-loads through the process's first search path, the program's folder first). Every
// later request by name then gets this copy. Returns 0, or -1 when it could not be loaded.
int LoadSystemDll(const wchar_t* name);
