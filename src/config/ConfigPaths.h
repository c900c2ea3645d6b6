// Where the configuration lives: the base folder (the local application data folder) and the
// paths below it.
#pragma once
#include <stddef.h>

// Paths below the base folder.
constexpr wchar_t ConfigFolderSuffix[] = L"\\Morrowtide";
constexpr wchar_t ConfigFileSuffix[] = L"\\Morrowtide\\Vantrel.cfg";

// Points every configuration path at another base folder instead of the local application
// data folder; NULL goes back to the real one. For tests only.
void SetConfigBaseFolderForTests(const wchar_t* folder);

// The base folder (the local application data folder). Returns 0, or -1 when there is none.
int GetConfigBaseFolder(wchar_t* out, size_t capacity);
