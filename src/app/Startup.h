// Process start-up, the message loop and the exit code.
#pragma once
#include <windows.h>

extern const wchar_t ConfigFolderFailedText[];
extern const wchar_t ConfigAccessFailedText[];
extern const wchar_t RegisterClassFailedText[];
extern const wchar_t CreateWindowFailedText[];
extern const wchar_t RegisterHotKeyFailedText[];
extern const wchar_t UnreadCopyText[];

// Runs Vantrel from start-up to the end of the message loop; returns the exit code.
int RunVantrel(HINSTANCE instance, int showCommand);

// Forms buildDateText from the compiler's build date and time, or from the moment that
// SOURCE_DATE_EPOCH gave the build (a release: its commit's time).
void FormBuildDateText(void);

// Tells the user, once the window is shown, where the copy of a configuration file that
// could not be used whole was kept; nothing when there was none.
void TellAboutUnreadCopy(void);

// Registers the hotkey held in AppSettings on MainWindow; reports a failure.
void RegisterStartupHotkey(void);
