// The configuration file "Vantrel.cfg" under the local application data folder.
#pragma once
#include <stddef.h>
#include <windows.h>

#include "config/ConfigPaths.h"

extern const wchar_t ConfigWriteFailedText[];

// Reads the file into AppSettings and the TileGrid, creating folder and file when missing.
// A pending copy that a stopped save left beside the file is the newest whole state: it is
// read, and put in place of the file. 0 read or created; -2 another format version, the file
// kept beside it under a name of its own ("Vantrel.cfg.v0004"); -3 neither readable whole nor
// creatable, or a file that must be kept first and could not be; -4 no folder for it, or a
// path with no room for the names beside the file. An empty file reads as one without a
// header, so the -1 of a stream at its end before the first read never comes. A file not fully
// used (content without a header, an unreadable settings line, a line refused, skipped or with
// fields left over, a text read in a guessed code page) is first kept beside it as
// "Vantrel.cfg.unread" (or "-2", "-3"...), unless an identical copy is there already; so is a
// file that a pending copy replaced and that differed from it: see UnreadConfigCopy.
int LoadConfig(void);

// The copy that the last LoadConfig kept (or found kept) of a file it did not fully use, or NULL.
const wchar_t* UnreadConfigCopy(void);

// Rewrites the whole file from MainWindow, AppSettings and the TileGrid as one commit: the new
// text is written and flushed beside the file, then replaces it in one step, waiting about two
// seconds for a program that holds it; only a holder that lets others write has it written in
// place, with the new text kept beside as the pending copy until that is done. 0 written;
// -1 not (the file as it was, or, after a write in place that stopped, the pending copy holding
// the new text for the next start); -4 no folder for it.
int SaveConfig(void);

// SaveConfig; on failure tells the user and closes the window through the normal path.
int SaveConfigOrClose(HWND window);
