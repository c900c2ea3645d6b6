// COM on the GUI thread, for the shell calls that may need it.
#pragma once

// Initialises COM once, on the first call: before a shell call that may need it (running a
// target, the Open dialog, the folder picker, a look-up of an icon or a display name). Not at
// start-up, where it would cost every start, and an empty one most of its time under Wine.
// Loads comctl32 there too, before the shell would load it itself (shell/SystemDlls.h).
void EnsureComInitialized(void);
