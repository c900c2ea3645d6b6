// Kind and default name of a target, derived from its path alone.
#pragma once

enum { ShellDisplayNameCapacity = 1060 };

// The TileKind of a path: NotOnDisk when its attributes cannot be read, Folder for a
// directory, Program for a path ending in ".exe" (exactly this case), else PlainFile.
int ClassifyTarget(const wchar_t* path);

// Pointer into s at its last path component: the text after the last backslash, or all
// of s without one. NULL for an empty s or one that ends in a backslash.
const wchar_t* LastPathComponent(const wchar_t* s);

// The default tile name the shell would show for a path, in one program-wide buffer that
// the next call overwrites; NULL when the shell knows nothing of the path.
const wchar_t* ShellDisplayName(const wchar_t* path);
