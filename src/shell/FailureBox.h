// The failure box for a failed system call.
#pragma once

#include <windows.h>

// Shows "<callerText> failed with error <code>: <system text>" captioned "Vantrel Error",
// owned by MainWindow once it exists. Must be the first call after the failed one, since
// it reads the thread's last error.
void ReportLastError(const wchar_t* callerText);

// The same box owned by another window: a dialog that is open, which must get the keyboard
// back when the box closes (MainWindow is disabled while a dialog is open).
void ReportLastErrorTo(HWND owner, const wchar_t* callerText);
