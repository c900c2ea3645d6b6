// The configuration file "Vantrel.cfg" under the local application data folder.
#pragma once
#include <stddef.h>
#include <windows.h>

extern const wchar_t ConfigWriteFailedText[];

// Paths below the base folder.
extern const wchar_t ConfigFolderSuffix[];     // "\Morrowtide"
extern const wchar_t ConfigFileSuffix[];       // "\Morrowtide\Vantrel.cfg"

// Points every configuration path at another base folder instead of the local application
// data folder; NULL goes back to the real one. For tests only.
void SetConfigBaseFolderForTests(const wchar_t* folder);

// The base folder (the local application data folder). Returns 0, or -1 when there is none.
int GetConfigBaseFolder(wchar_t* out, size_t capacity);

// base + suffix into out; -1 when the result does not fit.
int ComposePath(wchar_t* out, size_t capacity, const wchar_t* base, const wchar_t* suffix);

// Reads the file into AppSettings and the TileGrid, creating folder and file when missing.
// 0 read or created; -2 another format version, the file kept beside it under a name of
// its own ("Vantrel.cfg.v0004"); -3 neither readable whole nor creatable, or a file that
// must be kept first and could not be; -4 no folder for it, or a path with no room for the
// names beside the file. An empty file reads as one without a header, so the -1 of a
// stream at its end before the first read never comes. A file not fully used (content
// without a header, an unreadable settings line, a line refused or skipped) is first kept
// beside it as "Vantrel.cfg.unread" (or "-2", "-3"...): see UnreadConfigCopy.
int LoadConfig(void);

// The copy that the last LoadConfig kept of a file it did not fully use, or NULL.
const wchar_t* UnreadConfigCopy(void);

// Rewrites the whole file from MainWindow, AppSettings and the TileGrid, replacing the old
// one in a single step (or, while another program holds it sharing reading and writing, in
// place). A file held by a program that shares no writing is waited for about two
// seconds. 0 written; -1 not writable; -4 no folder for it.
int SaveConfig(void);

// SaveConfig; on failure tells the user and closes the window through the normal path.
int SaveConfigOrClose(HWND window);
