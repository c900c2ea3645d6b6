// The rotation of 20 backup copies of the configuration file.
#pragma once
#include <stddef.h>

enum { BackupSlotCount = 20 };

// The file name of a slot ("Vantrel_Bkup000.cfg" .. "Vantrel_Bkup019.cfg"), or its
// marker name with "-" before ".cfg" for the newest copy. -1 when out does not fit it.
int BackupSlotFileName(int slot, bool marker, wchar_t* out, size_t capacity);

// Copies the configuration file into the slot after the newest copy and marks it newest;
// every older marker becomes a plain copy, so that the rotation repairs whatever state an
// interrupted run left. 0 a backup was made; -1 no backup folder; -3 the copy into an empty
// slot failed; -4 the copy into the next slot failed (also for a missing source); -5 an
// old marker could not be renamed (the new copy exists).
int RotateBackups(void);
