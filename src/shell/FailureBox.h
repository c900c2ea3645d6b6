// The failure box for a failed system call.
#pragma once

// Shows "<callerText> failed with error <code>: <system text>" captioned "Vantrel Error",
// owned by MainWindow once it exists. Must be the first call after the failed one, since
// it reads the thread's last error.
void ReportLastError(const wchar_t* callerText);
