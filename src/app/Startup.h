// Process start-up, the message loop and the exit code.
#pragma once
#include <windows.h>

extern const wchar_t ConfigFolderFailedText[];
extern const wchar_t ConfigAccessFailedText[];
extern const wchar_t RegisterClassFailedText[];
extern const wchar_t CreateWindowFailedText[];
extern const wchar_t RegisterHotKeyFailedText[];

// Runs Vantrel from start-up to the end of the message loop; returns the exit code.
int RunVantrel(HINSTANCE instance, int showCommand);

// Forms buildDateText from the compiler's build date and time.
void FormBuildDateText(void);

// Registers the hotkey held in AppSettings on MainWindow; reports a failure.
void RegisterStartupHotkey(void);
