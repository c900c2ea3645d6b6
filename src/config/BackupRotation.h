// The rotation of 20 backup copies of the configuration file.
#pragma once
#include <stddef.h>
#include <stdlib.h>

#include "config/FileCommit.h"

enum { BackupSlotCount = 20 };

// The backup folder below the base folder, and the pieces of a slot's file name:
// "Vantrel_Bkup0", the slot's two digits, "-" for the newest copy, ".cfg".
constexpr wchar_t BackupFolderSuffix[] = L"\\Morrowtide\\Backup";
constexpr wchar_t SlotNameStem[] = L"Vantrel_Bkup0";
constexpr wchar_t SlotMarker[] = L"-";
constexpr wchar_t SlotExtension[] = L".cfg";
// A copy is written under this stem and a temporary file's suffix before it takes a slot's name.
constexpr wchar_t BackupCopyStem[] = L"\\Vantrel_Bkup";
// The longest path the rotation makes below the base folder: a copy's temporary name (longer
// than any slot's marker name).
constexpr size_t LongestBackupPathBelowBase =
    _countof(BackupFolderSuffix) - 1 + _countof(BackupCopyStem) - 1 + _countof(LongestSuffixBeside) - 1;
static_assert(_countof(BackupCopyStem) - 1 + _countof(LongestSuffixBeside) - 1 >
                  1 + _countof(SlotNameStem) - 1 + 2 + _countof(SlotMarker) - 1 + _countof(SlotExtension) - 1,
              "a copy's temporary name is the longest name in the backup folder");

// The file name of a slot ("Vantrel_Bkup000.cfg" .. "Vantrel_Bkup019.cfg"), or its
// marker name with "-" before ".cfg" for the newest copy. -1 when out does not fit it.
int BackupSlotFileName(int slot, bool marker, wchar_t* out, size_t capacity);

// Copies the configuration file into the slot after the newest copy and marks it newest;
// every older marker becomes a plain copy. A slot whose names are taken by something the
// rotation can neither replace nor delete (a folder, a read-only or locked file) is passed
// over; among several markers, which an interrupted rotation leaves, the newest copy is the
// one written last. So the copies of the last exits are never overwritten. The copy is written
// under a fresh name and read back before it takes a slot, so a failed copy changes no slot; a
// marker that holds no whole copy is never taken for the newest nor carried over a plain copy.
// When the last save's write in place stopped part-way, the pending copy is copied instead of
// the torn file. 0 a backup was made;
// -1 no backup folder; -3 the copy into an empty slot failed (and no other slot took it);
// -4 no slot took the copy (also for a missing source); -5 an old marker could not be renamed
// (the new copy exists).
int RotateBackups(void);
