#include "config/BackupRotation.h"

#include <windows.h>
#include <stdlib.h>
#include <wchar.h>

#include "config/ConfigFile.h"
#include "config/FileCommit.h"
#include "model/TileGrid.h"

int BackupSlotFileName(int slot, bool marker, wchar_t* out, size_t capacity)
{
    if (slot < 0 || slot >= BackupSlotCount)
        return -1;
    int length = _snwprintf_s(out, capacity, _TRUNCATE, L"%ls%c%c%ls%ls", SlotNameStem, slot >= 10 ? L'1' : L'0',
                              (wchar_t)(L'0' + slot % 10), marker ? SlotMarker : L"", SlotExtension);
    return length < 0 ? -1 : 0;
}

static int SlotPath(const wchar_t* backupFolder, int slot, bool marker, wchar_t* out, size_t capacity)
{
    wchar_t name[32];
    wchar_t suffix[40];
    if (BackupSlotFileName(slot, marker, name, _countof(name)) != 0)
        return -1;
    suffix[0] = L'\\';
    wcscpy_s(suffix + 1, _countof(suffix) - 1, name);
    return ComposePath(out, capacity, backupFolder, suffix);
}

// What a slot's two names hold when the rotation starts.
struct SlotState {
    wchar_t marker[ComposedPathCapacity];
    wchar_t plain[ComposedPathCapacity];
    DWORD markerAttributes;   // INVALID_FILE_ATTRIBUTES when there is nothing of that name
    DWORD plainAttributes;
    FILETIME markerWritten;
    bool markerTaken;         // held by something the rotation may neither write over nor delete
    bool plainTaken;
};

static bool IsFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether a name is held by something the rotation could neither write over nor delete: a
// folder, a read-only file, a file that another program holds without sharing.
static bool NameTaken(const wchar_t* path, DWORD attributes)
{
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return true;
    HANDLE probe = CreateFileW(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (probe == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(probe);
    return false;
}

static bool SourceReadable(const wchar_t* source)
{
    HANDLE file = CreateFileW(source, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

static SlotState slots[BackupSlotCount];

static void ReadSlots(const wchar_t* folder)
{
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        SlotState* state = &slots[slot];
        SlotPath(folder, slot, true, state->marker, _countof(state->marker));
        SlotPath(folder, slot, false, state->plain, _countof(state->plain));
        WIN32_FILE_ATTRIBUTE_DATA data;
        bool found = GetFileAttributesExW(state->marker, GetFileExInfoStandard, &data) != FALSE;
        state->markerAttributes = found ? data.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
        state->markerWritten = found ? data.ftLastWriteTime : FILETIME{};
        state->plainAttributes = GetFileAttributesW(state->plain);
        state->markerTaken = NameTaken(state->marker, state->markerAttributes);
        state->plainTaken = NameTaken(state->plain, state->plainAttributes);
    }
}

// The slot of the newest copy: the marker written last (a copy keeps the time the file was
// saved, and every run saves before it rotates), or -1 when there is none. Among the two
// markers that a rotation stopped between its copy and its rename leaves, that is the new one.
// A marker that nothing may change (read-only, held elsewhere) is stuck there, not the copy
// the last exit made, whatever its time: it counts only when no other marker is left.
static int NewestSlot(void)
{
    int newest = -1;
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        const SlotState* state = &slots[slot];
        if (!IsFile(state->markerAttributes))
            continue;
        bool newer = newest < 0 || (slots[newest].markerTaken && !state->markerTaken) ||
                     (slots[newest].markerTaken == state->markerTaken &&
                      CompareFileTime(&state->markerWritten, &slots[newest].markerWritten) > 0);
        if (newer)
            newest = slot;
    }
    return newest;
}

// The first slot whose two names are both free, before the first marker: a gap that a hand
// left among the copies is filled first. -1 when there is none.
static int FirstEmptySlot(void)
{
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        if (IsFile(slots[slot].markerAttributes))
            return -1;
        if (slots[slot].markerAttributes == INVALID_FILE_ATTRIBUTES && slots[slot].plainAttributes == INVALID_FILE_ATTRIBUTES)
            return slot;
    }
    return -1;
}

int RotateBackups(void)
{
    wchar_t base[ComposedPathCapacity];
    wchar_t source[ComposedPathCapacity];
    wchar_t folder[ComposedPathCapacity];
    // Without a base folder there is no valid path: nothing is touched.
    if (GetConfigBaseFolder(base, _countof(base)) != 0 ||
        ComposePath(source, _countof(source), base, ConfigFileSuffix) != 0 ||
        ComposePath(folder, _countof(folder), base, BackupFolderSuffix) != 0)
        return -1;
    wchar_t probe[ComposedPathCapacity];
    if (SlotPath(folder, 0, true, probe, _countof(probe)) != 0)
        return -1;

    if (!CreateDirectoryW(folder, NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
        return -1;

    ReadSlots(folder);
    int empty = FirstEmptySlot();
    DWORD sourceAttributes = GetFileAttributesW(source);
    if (!IsFile(sourceAttributes))
        return -4;
    if (!SourceReadable(source))
        return empty >= 0 ? -3 : -4;

    // The newest copy is written first: into an empty slot, else into the slots after the
    // newest copy in turn (from slot 0 when there is none), passing over any whose names are
    // taken and never onto the newest copy itself.
    int newest = NewestSlot();
    int target = empty >= 0 && CopyFileW(source, slots[empty].marker, TRUE) ? empty : -1;
    for (int step = 1; target < 0 && step <= BackupSlotCount; step++) {
        int slot = newest >= 0 ? (newest + step) % BackupSlotCount : step - 1;
        const SlotState* state = &slots[slot];
        if (slot == newest || slot == empty || state->markerTaken || state->plainTaken)
            continue;
        if (CopyFileW(source, state->marker, FALSE))
            target = slot;
    }
    if (target < 0)
        return empty >= 0 ? -3 : -4;

    // Then the older markers become plain copies, then the oldest copy goes: a failure never
    // leaves fewer backups than before. What takes a marker's name for good is left alone; a
    // marker that cannot be renamed stays, and being older is never taken for the newest.
    int result = 0;
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        if (slot != target && IsFile(slots[slot].markerAttributes) && !slots[slot].markerTaken &&
            !MoveFileExW(slots[slot].marker, slots[slot].plain, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            result = -5;
    }
    DeleteFileW(slots[target].plain);
    return result;
}
