// One Vantrel per desktop session.
#pragma once
#include <windows.h>

// Returns true when another instance runs: that instance's window has been restored or
// brought forward, and this process must end with exit code 1. Returns false when this
// process is the only instance; it then holds the instance lock until it ends.
bool HandOverToRunningInstance(void);

// Restores a minimised window or brings it forward, as a second start does.
void ActivateRunningInstance(HWND window);
